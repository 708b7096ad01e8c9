// Noticing that another program changed or removed the data file: on activation of the main
// window, and just before Save writes. The user is asked, and nothing is overwritten or
// thrown away without an answer.
#pragma once
#include <string>
#include <string_view>
#include <windows.h>

#include "document/document_commands_win.h"
#include "document/save_decision.h"
#include "store/file_stamp.h"

namespace perchlet {

// Posted by the main window when it is activated; the check runs once the activation is over.
constexpr UINT kCheckDataFileMessage = WM_APP + 190;

// The file's size and last-write time now (no hash); exists = false when it is not there.
FileStamp diskStampOf(const std::wstring& path);

// Remembers the data file as just read from or written to path.
void rememberDataFile(Document& document, const std::wstring& path, std::string_view bytes);

// The activation check: asks whether to load the other version, or what to do with this
// one when it has unsaved changes; says so once when the file is gone.
void checkDataFileOnDisk(DocumentContext& context);

enum class BeforeSave { Write, HandledOtherwise, Stop };

// Before Save writes to the data file: Write when the file on disk holds the bytes last
// loaded or saved (or is gone: Save writes it again where it was), otherwise what the user
// chose. A file that cannot be read now may have been changed, and is asked about too.
BeforeSave checkBeforeSave(DocumentContext& context);

// Before the document is written over path: a read-only file is written over only when
// the user says so (and stays read-only).
bool mayWriteOver(DocumentContext& context, const std::wstring& path);

}  // namespace perchlet
