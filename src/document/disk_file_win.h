// The data file as the system shows it now: what the checks for other programs' changes read.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/save_decision.h"
#include "store/document.h"

namespace perchlet {

// The file's size and last-write time now (no hash); exists = false when it is not there.
FileStamp diskStampOf(const std::wstring& path);

// The hash of the file's bytes; nothing when they cannot be read (another program holds
// the file locked).
std::optional<std::uint64_t> hashOfFile(const std::wstring& path);

bool isReadOnlyFile(const std::wstring& path);

// Everything the check before Save looks at; the bytes are read every time.
DiskFileNow diskFileNow(const std::wstring& path);

// Remembers the document's file as just read from or written to path, with the hash of its
// bytes.
void rememberDataFile(Document& document, const std::wstring& path, std::uint64_t hash);

}  // namespace perchlet
