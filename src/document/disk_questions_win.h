// The questions about the data file on disk, asked on activation and before Save.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <windows.h>

namespace perchlet {

// The watch on the data file for changes by other programs.
struct DiskWatch {
    bool asking = false;                         // a question about the file on disk is up
    std::optional<std::uint64_t> declinedHash;  // a version on disk the user chose not to load
};

// One question at a time: activations while it is up are not checks of their own.
class QuestionScope {
public:
    explicit QuestionScope(DiskWatch& disk) : disk_(disk) { disk_.asking = true; }
    ~QuestionScope() { disk_.asking = false; }
    QuestionScope(const QuestionScope&) = delete;
    QuestionScope& operator=(const QuestionScope&) = delete;

private:
    DiskWatch& disk_;
};

enum class Resolution { KeepThis, LoadOther, SaveElsewhere, Undecided };

// fileName is the name the caption shows.
void sayDataFileMissing(HWND owner, const std::wstring& fileName);
bool askToLoadOtherVersion(HWND owner, const std::wstring& fileName);
// Another program changed the file; unsavedHere says whether this document has changes too.
Resolution askWhichVersion(HWND owner, const std::wstring& fileName, bool unsavedHere);
// The file could not be read (another program holds it locked): it may have been changed.
bool askToWriteUnread(HWND owner, const std::wstring& fileName);
// A read-only file at path: written only when the user says so, and it stays read-only.
bool askToWriteReadOnly(HWND owner, const std::wstring& path);

}  // namespace perchlet
