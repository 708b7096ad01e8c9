// Text between the command line and the core: the core's texts are Shift-JIS; the command
// line and the output are UTF-8 here, but already Shift-JIS (the ANSI code page) on Windows.
#pragma once
#include <string>

#include "store/encoding.h"

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
