// The commands that look into the items of a file: find, duplicates and check.
#pragma once
#include <cstdio>
#include <optional>
#include <string>

#include "tool_text.h"

// Reads a file in any format the tool reads, telling the format from the file as show
// does; a UTF-8 data file into a UTF-8 document, so that every character can be printed.
// A message for the user when it cannot (defined with the other readers).
std::optional<std::string> readAnyFormat(const std::string& path, ToolDocument& into);

bool isFindCommand(const char* name);
// argv[1] is the command; returns the exit code.
int runFindCommand(int argc, char** argv);
void printFindUsage(std::FILE* stream);
