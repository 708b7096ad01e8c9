// Whole files in and out, as the document and the exchange formats use them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

namespace perchlet {

// Paths are wide from the dialog to the file call; the Shift-JIS forms are for paths kept
// as text (the settings' data file).

// Writes the text to path through a temporary file in the same folder, so that the old file
// stays whole until the new one is complete. An empty path writes nothing and returns false.
// A failed write shows "SaveText_file" with caption "書き込み失敗" and returns false.
bool writeWholeText(const std::wstring& path, const std::string& text);
bool writeWholeText(const std::string& path, const std::string& text);
// The same for a text made as it is written, never held whole: pieces hands each piece of it
// in order to the sink it is given, and answers false when it could not make it or the sink
// said false.
using TextSink = std::function<bool(std::string_view piece)>;
using TextPieces = std::function<bool(const TextSink& sink)>;
bool writeWholeText(const std::wstring& path, const TextPieces& pieces);

// Reads the whole file, opened for reading only. Nothing for an empty path or a file that is
// missing or cannot be opened.
std::optional<std::string> readWholeFile(const std::wstring& path);
std::optional<std::string> readWholeFile(const std::string& path);

// As readWholeFile, for HTML; a file that says it is UTF-8 (a byte order mark or a charset)
// or whose bytes can only be UTF-8 comes back converted to Shift-JIS, each character that
// Shift-JIS cannot hold as a character reference. Only when the bytes could be either is the
// user asked.
std::optional<std::string> readWholeFileOfferingUtf8(const std::wstring& path, HWND owner);

}  // namespace perchlet
