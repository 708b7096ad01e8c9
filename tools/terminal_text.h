// Text from files and servers, made safe to print on a terminal.
#pragma once
#include <cstddef>
#include <string>

// The length of the well-formed UTF-8 character at pos (overlong forms, surrogates and
// code points past U+10FFFF are not); 0 when the byte there starts none.
std::size_t utf8CharacterLength(const std::string& text, std::size_t pos);

// UTF-8 text for a terminal: what a server or a file says cannot move the cursor, ring,
// change colours or break the columns. Control characters (C0, DEL and C1) and bytes that
// make no character are shown escaped ("\x1b", "\t").
std::string terminalText(const std::string& text);
