// The program that opens web pages for the user, from the registry.
#pragma once
#include <string>

namespace perchlet {

// The open command of the browser chosen for https/http (UserChoice), else of the ".html"
// handler (HKEY_CLASSES_ROOT); "" when there is none.
std::string readDefaultBrowserCommand();

}  // namespace perchlet
