// Favorites on a Windows disk: std::filesystem there does not tell a junction or symbolic
// link from what it points to, the file attributes do. Used by the program and by the
// Windows build of the command-line tool.
#pragma once
#include <windows.h>

#include "exchange/favorites_fs.h"

namespace perchlet {

class WindowsFavoritesFileSystem : public DiskFavoritesFileSystem {
protected:
    bool isLink(const std::filesystem::path& path) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
};

}  // namespace perchlet
