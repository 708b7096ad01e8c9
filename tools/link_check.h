// perchlet-tool check: asks the server of every web link of a file whether the page is
// still there (libcurl on Linux, WinHTTP on Windows).
#pragma once

// argv[1] is "check"; returns the exit code: 0 when every link is ok or moved, 1 otherwise
// or when the file cannot be read, 2 for usage.
int runLinkCheck(int argc, char** argv);
