// The program that opens ".html" files, from the registry.
#pragma once
#include <string>

namespace perchlet {

// The open command of the ".html" handler (HKEY_CLASSES_ROOT), or "" when there is none.
std::string readDefaultBrowserCommand();

}  // namespace perchlet
