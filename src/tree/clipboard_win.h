// Subtrees travel through the clipboard as data file text in the standard text format
// (CF_TEXT): Shift-JIS bytes, as they are, with a terminating zero.
#pragma once
#include <string>
#include <windows.h>

namespace perchlet {

enum ClipboardResult : int {
    kClipboardDone = 0,
    kClipboardNoMemory = -1,    // writing: no memory block for the text
    kClipboardNoText = -1,      // reading: the clipboard holds no text (the user has been told)
    kClipboardUnavailable = -2, // the clipboard could not be opened or gave nothing
};

// Puts the text on the clipboard, replacing whatever it held.
int writeClipboardText(HWND owner, const std::string& text);

// Reads the clipboard's text into text. Without any text on the clipboard, shows
// "クリップボードを読めません" first.
int readClipboardText(HWND owner, std::string& text);

}  // namespace perchlet
