// Favorites on a real disk through std::filesystem, for the command-line tool, the program
// and the tests. Paths are the file system's own; names become titles only as text.
#pragma once
#include "exchange/favorites.h"

namespace perchlet {

class DiskFavoritesFileSystem : public FavoritesFileSystem {
public:
    // Entries come sorted by title, as NTFS lists them, so that every platform imports alike.
    std::optional<std::vector<FavoritesEntry>> list(const std::filesystem::path& directory) override;
    std::optional<std::string> readFile(const std::filesystem::path& path) override;
    bool makeDirectory(const std::filesystem::path& path) override;
    // Through a temporary file beside it, renamed over the old one: a disk that fills up
    // leaves the old file whole, and a link standing there is replaced, not written through.
    bool writeFile(const std::filesystem::path& path, const std::string& bytes) override;

protected:
    // Whether a symbolic link (or, on Windows, a junction) stands at path; on Windows the
    // file attributes tell, which std::filesystem there does not.
    virtual bool isLink(const std::filesystem::path& path);
};

// Writes bytes to path through a temporary file in the same folder, renamed over path
// only once complete; the temporary file is removed when anything fails.
bool replaceFileWith(const std::filesystem::path& path, const std::string& bytes);

}  // namespace perchlet
