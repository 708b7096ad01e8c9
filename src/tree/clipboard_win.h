// Subtrees travel through the clipboard as data file text, in the two standard text formats:
// CF_UNICODETEXT keeps every character, for this program and any other; CF_TEXT holds the
// same text in Shift-JIS, as earlier versions put it there and read it back.
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

// The one text in both formats.
struct ClipboardText {
    std::wstring unicode;
    std::string shiftJis;
};

// Puts the text on the clipboard, replacing whatever it held; the Unicode form goes first, so
// a reader can tell it is no conversion the system made of the other.
int writeClipboardText(HWND owner, const ClipboardText& text);

// Reads the clipboard's text in the format its owner put there first: Unicode text comes as
// UTF-8 with a byte-order mark in front, Shift-JIS bytes as they are. Without any text on
// the clipboard, shows "クリップボードを読めません" first.
int readClipboardText(HWND owner, std::string& text);

}  // namespace perchlet
