// Whole files in and out, as the document and the exchange formats use them.
#pragma once
#include <optional>
#include <string>
#include <windows.h>

namespace perchlet {

// Paths are wide from the dialog to the file call; the Shift-JIS forms are for paths kept
// as text (the settings' data file).

// Writes the text to path through a temporary file in the same folder, so that the old file
// stays whole until the new one is complete. An empty path writes nothing and returns false.
// A failed write shows "SaveText_file" with caption "書き込み失敗" and returns false.
bool writeWholeText(const std::wstring& path, const std::string& text);
bool writeWholeText(const std::string& path, const std::string& text);

// Reads the whole file, opened for reading only. Nothing for an empty path or a file that is
// missing or cannot be opened.
std::optional<std::string> readWholeFile(const std::wstring& path);
std::optional<std::string> readWholeFile(const std::string& path);

// As readWholeFile, for HTML; when the text declares UTF-8 as its charset or starts with a
// UTF-8 byte order mark, offers to convert it and, on OK, returns the file converted to
// Shift-JIS instead, with each character that Shift-JIS cannot hold as a character reference.
std::optional<std::string> readWholeFileOfferingUtf8(const std::wstring& path, HWND owner);

}  // namespace perchlet
