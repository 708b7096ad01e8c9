// Text between the command line and the core: the core's texts are Shift-JIS; the command
// line and the output are UTF-8 here, but already Shift-JIS (the ANSI code page) on Windows.
#pragma once
#include <string>

#include "store/document.h"
#include "store/encoding.h"

// The document the tool works in, and the encoding in which every reader puts its texts and
// every writer writes them.
struct ToolDocument {
    perchlet::Document document;
    perchlet::TextEncoding encoding = perchlet::TextEncoding::ShiftJis;
};

inline std::string commandLineToShiftJis(const std::string& argument) {
#ifdef _WIN32
    return argument;
#else
    return perchlet::utf8ToShiftJis(argument);
#endif
}

inline std::string shiftJisForOutput(const std::string& shiftJis) {
#ifdef _WIN32
    return shiftJis;
#else
    return perchlet::shiftJisToUtf8(shiftJis);
#endif
}

// A document's text for the output: a UTF-8 document's as UTF-8, every character kept.
inline std::string textForOutput(const std::string& text, perchlet::TextEncoding encoding) {
    return encoding == perchlet::TextEncoding::Utf8 ? text : shiftJisForOutput(text);
}

// A command-line word as a document's text.
inline std::string commandLineToText(const std::string& argument, perchlet::TextEncoding encoding) {
    return encoding == perchlet::TextEncoding::Utf8 ? perchlet::wellFormedUtf8(argument) : commandLineToShiftJis(argument);
}
