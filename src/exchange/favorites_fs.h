// Favorites on a real disk through std::filesystem, for the command-line tool and the tests.
// Names are Shift-JIS inside and UTF-8 (POSIX) or UTF-16 (Windows) on the disk.
#pragma once
#include "exchange/favorites.h"

namespace perchlet {

class DiskFavoritesFileSystem : public FavoritesFileSystem {
public:
    char separator() const override;
    // Entries come sorted by name, as NTFS lists them, so that every platform imports alike.
    std::optional<std::vector<FavoritesEntry>> list(const std::string& directory) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool makeDirectory(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
};

}  // namespace perchlet
