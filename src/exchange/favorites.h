// Internet Explorer favorites: a directory per folder and an Internet shortcut (".url")
// file per link. The file system is reached through FavoritesFileSystem, so that the
// program (Win32 calls) and the command-line tool (std::filesystem) share the walks.
#pragma once
#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/netscape.h"

namespace perchlet {

// The longest path that Windows' MAX_PATH buffers hold (without the terminating zero).
constexpr std::size_t kMaxFavoritesPath = 259;
// An import stops once more entries than this have been read.
constexpr std::size_t kFavoritesEntryLimit = 1000;
// An export enters folders down to this many levels below the chosen directory.
constexpr unsigned kFavoritesExportLevels = 16;

// "[InternetShortcut]\r\nURL=<locator>\r\n".
std::string internetShortcutText(std::string_view locator);

// The URL of section [InternetShortcut] (section and key in any case), or "URL not found !".
std::string internetShortcutUrl(std::string_view fileText);

// A file or directory name made from a title: unsafe characters cleaned as file names
// always are; trailing dots and blanks removed (Windows would drop them silently); "_" put
// before a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension, any case);
// "_" for a name that ends up empty (also "." and "..").
std::string favoritesName(std::string_view title);

struct FavoritesEntry {
    std::string name;  // Shift-JIS
    bool isDirectory = false;
    std::time_t created = 0;
    std::time_t lastWritten = 0;
    std::time_t lastAccessed = 0;
};

// Paths and names are Shift-JIS; paths are joined with separator().
class FavoritesFileSystem {
public:
    virtual ~FavoritesFileSystem() = default;
    virtual char separator() const = 0;
    // The entries of a directory, without "." and ".."; nothing when it cannot be listed.
    virtual std::optional<std::vector<FavoritesEntry>> list(const std::string& directory) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // True when the directory exists afterwards (an existing one is fine).
    virtual bool makeDirectory(const std::string& path) = 0;
    // Creates or replaces the file.
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
};

enum class AfterFailedWrite { Stop, CarryOn };

struct FavoritesExportResult {
    std::size_t filesWritten = 0;
    std::size_t directoriesMade = 0;
    std::size_t foldersNotEntered = 0;      // folders beyond the level limit, made but left empty
    std::vector<std::string> failedWrites;  // paths of shortcut files that could not be written
    bool stopped = false;                   // a failed write ended the export
};

// Writes start's subtree into chosenDirectory: a folder becomes a directory (the start
// folder too), every link but shell links and local files a shortcut file. Only folders are
// entered, down to kFavoritesExportLevels. A shortcut whose path is longer than
// kMaxFavoritesPath, or that cannot be written, is a failed write; `after` says whether the
// export goes on. Directory failures are not reported (their files then fail).
FavoritesExportResult exportFavorites(const Document& document, NodeId start,
                                      const std::string& chosenDirectory, FavoritesFileSystem& files,
                                      AfterFailedWrite after);

struct FavoritesImportResult {
    bool topLevelRead = false;                    // false: the chosen directory could not be listed
    std::size_t count = 0;                        // items made
    std::size_t limitMessages = 0;                // directory levels stopped by the entry limit
    std::vector<std::string> unlistedDirectories; // in the order met
};

// Reads directory under target: a folder for every subdirectory (read in turn), a link for
// every file (its name without the last four characters as title, the shortcut's URL as
// locator, the file's times as dates). Stops after the 1001st entry. Marks the document
// modified when the top level could be read.
FavoritesImportResult importFavorites(Document& document, NodeId target, const std::string& directory,
                                      FavoritesFileSystem& files);

}  // namespace perchlet
