// The main window's caption, "*ListFile.dat - Perchlet", fitted to the width of its title
// bar: the file name loses characters from its middle, shown as "…", so that both its start
// and its extension stay; the modified mark and the program's name stay whole.
#pragma once
#include <functional>
#include <string>

namespace perchlet {

std::wstring fittedCaption(const std::wstring& caption, const std::function<bool(const std::wstring&)>& fits);

}  // namespace perchlet
