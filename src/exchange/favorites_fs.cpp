#include "exchange/favorites_fs.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "store/encoding.h"

namespace perchlet {

namespace fs = std::filesystem;

namespace {

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

// A name no other writer picks: the target's name, the process and a counter.
fs::path temporaryBeside(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    unsigned long process = static_cast<unsigned long>(_getpid());
#else
    unsigned long process = static_cast<unsigned long>(::getpid());
#endif
    fs::path name = path.filename();
    name += ".tmp" + std::to_string(process) + "-" + std::to_string(counter++);
    return path.parent_path() / name;
}

bool writeNewFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    bool written = static_cast<bool>(out);
    out.close();
    return written && !out.fail();
}

}  // namespace

bool replaceFileWith(const fs::path& path, const std::string& bytes) {
    fs::path temporary = temporaryBeside(path);
    std::error_code error;
    if (writeNewFile(temporary, bytes)) {
        fs::rename(temporary, path, error);
        if (!error) return true;
    }
    fs::remove(temporary, error);
    return false;
}

std::optional<std::vector<FavoritesEntry>> DiskFavoritesFileSystem::list(const fs::path& directory) {
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return std::nullopt;
    std::vector<FavoritesEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        FavoritesEntry entry;
        entry.name = it->path().filename();
        entry.title = titleOfPathName(entry.name);
        entry.isDirectory = it->is_directory(error);
        readTimes(it->path(), entry);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const FavoritesEntry& a, const FavoritesEntry& b) {
        return a.title != b.title ? a.title < b.title : a.name < b.name;
    });
    return entries;
}

std::optional<std::string> DiskFavoritesFileSystem::readFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(fs::status(path, error))) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DiskFavoritesFileSystem::isLink(const fs::path& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

// A link to a folder is refused rather than removed: removing it is not safe everywhere
// (Wine removes the folder it points to when that is empty).
bool DiskFavoritesFileSystem::makeDirectory(const fs::path& path) {
    std::error_code error;
    if (isLink(path)) return false;
    fs::create_directory(path, error);
    return fs::is_directory(fs::symlink_status(path, error)) && !isLink(path);
}

bool DiskFavoritesFileSystem::writeFile(const fs::path& path, const std::string& bytes) {
    // The rename replaces whatever entry stands there, a link included, and never follows it.
    if (isLink(path) && fs::is_directory(path)) return false;
    return replaceFileWith(path, bytes);
}

}  // namespace perchlet
