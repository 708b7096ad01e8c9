#include "exchange/favorites_fs.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "store/encoding.h"

namespace perchlet {

namespace fs = std::filesystem;

namespace {

fs::path diskPath(const std::string& shiftJis) { return fs::u8path(shiftJisToUtf8(shiftJis)); }

std::string shiftJisName(const fs::path& path) {
    std::string utf8 = path.filename().u8string();
    return utf8ToShiftJis(utf8);
}

// Creation time where the platform keeps one (Windows); elsewhere the status change time.
void readTimes(const fs::path& path, FavoritesEntry& entry) {
#ifdef _WIN32
    struct _stat64 status;
    if (_wstat64(path.c_str(), &status) != 0) return;
#else
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return;
#endif
    entry.created = static_cast<std::time_t>(status.st_ctime);
    entry.lastWritten = static_cast<std::time_t>(status.st_mtime);
    entry.lastAccessed = static_cast<std::time_t>(status.st_atime);
}

}  // namespace

char DiskFavoritesFileSystem::separator() const {
    return static_cast<char>(fs::path::preferred_separator);
}

std::optional<std::vector<FavoritesEntry>> DiskFavoritesFileSystem::list(const std::string& directory) {
    std::error_code error;
    fs::directory_iterator it(diskPath(directory), error);
    if (error) return std::nullopt;
    std::vector<FavoritesEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        FavoritesEntry entry;
        entry.name = shiftJisName(it->path());
        entry.isDirectory = it->is_directory(error);
        readTimes(it->path(), entry);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FavoritesEntry& a, const FavoritesEntry& b) { return a.name < b.name; });
    return entries;
}

std::optional<std::string> DiskFavoritesFileSystem::readFile(const std::string& path) {
    std::ifstream in(diskPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DiskFavoritesFileSystem::makeDirectory(const std::string& path) {
    std::error_code error;
    fs::path target = diskPath(path);
    fs::create_directory(target, error);
    return fs::is_directory(target, error);
}

bool DiskFavoritesFileSystem::writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(diskPath(path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace perchlet
