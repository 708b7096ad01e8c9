// Internet Explorer favorites: a directory per folder and an Internet shortcut (".url")
// file per link. The file system is reached through FavoritesFileSystem, so that the
// program (Win32 calls) and the command-line tool (std::filesystem) share the walks.
#pragma once
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/netscape.h"

namespace perchlet {

// The longest path that Windows' MAX_PATH buffers hold (without the terminating zero).
constexpr std::size_t kMaxFavoritesPath = 259;
// The longest directory path Windows creates: room is left for an 8.3 name inside.
constexpr std::size_t kMaxFavoritesDirectoryPath = 247;
// An import stops once more entries than this have been read.
constexpr std::size_t kFavoritesEntryLimit = 1000;
// An export enters folders down to this many levels below the chosen directory.
constexpr unsigned kFavoritesExportLevels = 16;

// "[InternetShortcut]\r\nURL=<locator>\r\n".
std::string internetShortcutText(std::string_view locator);

// The URL of section [InternetShortcut] (section and key in any case), or "URL not found !".
// A file in UTF-16 or UTF-8 (with its byte order mark) keeps the characters of its address
// that Shift-JIS cannot hold, percent-encoded.
std::string internetShortcutUrl(std::string_view fileText);

// A file or directory name made from a title: unsafe characters cleaned as file names
// always are; trailing dots and blanks removed (Windows would drop them silently); "_" put
// before a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension, any case);
// "_" for a name that ends up empty (also "." and "..").
std::string favoritesName(std::string_view title);

struct FavoritesEntry {
    std::filesystem::path name;  // as the disk has it
    std::string title;           // the name as text: Shift-JIS, each run of characters without a form "〓"
    bool isDirectory = false;
    std::time_t created = 0;
    std::time_t lastWritten = 0;
    std::time_t lastAccessed = 0;
};

// Paths are the file system's own (UTF-16 on Windows), never passed through Shift-JIS, so
// that a folder named "Café" or "😀" is the folder that is read or written.
class FavoritesFileSystem {
public:
    virtual ~FavoritesFileSystem() = default;
    // The entries of a directory, without "." and ".."; nothing when it cannot be listed.
    virtual std::optional<std::vector<FavoritesEntry>> list(const std::filesystem::path& directory) = 0;
    // A regular file's bytes; nothing for anything else (a FIFO or a device would never end).
    virtual std::optional<std::string> readFile(const std::filesystem::path& path) = 0;
    // True when a real directory stands there afterwards (an existing one is fine). A
    // symbolic link or junction standing there is refused, never followed.
    virtual bool makeDirectory(const std::filesystem::path& path) = 0;
    // Creates or replaces the file; a link standing there is replaced, never written through.
    virtual bool writeFile(const std::filesystem::path& path, const std::string& bytes) = 0;
};

enum class AfterFailedWrite { Stop, CarryOn };
// What an export does where a file of the same name (in any case) is already there.
enum class ExistingFiles { Replace, KeepBoth };

struct FavoritesExportResult {
    std::size_t filesWritten = 0;
    std::size_t directoriesMade = 0;
    std::size_t foldersNotEntered = 0;  // folders beyond the level limit, made but left empty
    std::size_t itemsNotWritten = 0;    // the items inside those folders
    std::size_t itemsInFailedFolders = 0;  // the items inside folders that could not be made
    std::vector<std::filesystem::path> failedWrites;  // shortcut files and folders that could not be made
    bool stopped = false;                             // a failed write ended the export
    std::size_t namesShortened = 0;                   // names cut so that their paths fit
};

// Writes start's subtree (for kTopLevel, every top-level item's) into chosenDirectory: a
// folder becomes a directory (the start folder too), every link but shell links and local
// files a shortcut file. Names that come out alike in one directory (in any case) are
// numbered as Windows numbers copies: "dup.url", "dup (2).url", "dup (3).url"; "alike" is
// as Windows sees it, capitals and small letters of every script being one. With KeepBoth,
// files already in a directory are numbered around too; with Replace they are overwritten.
// Only folders are entered, down to kFavoritesExportLevels. A name is shortened so that its
// path fits kMaxFavoritesPath UTF-16 units (kMaxFavoritesDirectoryPath for a folder); one
// that cannot fit even so, or cannot be written, is a failed write, and so is a folder's
// directory that cannot be made (a link standing there included: nothing is written through
// it); `after` says whether the export goes on.
FavoritesExportResult exportFavorites(const Document& document, NodeId start,
                                      const std::filesystem::path& chosenDirectory, FavoritesFileSystem& files,
                                      AfterFailedWrite after, ExistingFiles existing = ExistingFiles::Replace);

// The files that an export with ExistingFiles::Replace would overwrite, found without
// writing anything: how many, and the first in the export's order.
struct ExistingFavorites {
    std::size_t count = 0;
    std::filesystem::path first;
};
ExistingFavorites findExistingFavorites(const Document& document, NodeId start,
                                        const std::filesystem::path& chosenDirectory, FavoritesFileSystem& files);

struct FavoritesImportResult {
    bool topLevelRead = false;  // false: the chosen directory could not be listed
    std::size_t count = 0;      // items made
    std::size_t limitMessages = 0;                            // directory levels stopped by the entry limit
    std::vector<std::filesystem::path> unlistedDirectories;  // in the order met
    std::size_t markedItems = 0;   // items whose name lost characters Shift-JIS cannot hold
    std::string firstMarkedTitle;  // the first of them
};

// Reads directory under target: a folder for every subdirectory (read in turn), a link for
// every file (its name without the last four characters as title, the shortcut's URL as
// locator, the file's times as dates). Stops after the 1001st entry. Marks the document
// modified when the top level could be read.
FavoritesImportResult importFavorites(Document& document, NodeId target, const std::filesystem::path& directory,
                                      FavoritesFileSystem& files);

// A title as a name on the disk: favoritesName, in the file system's encoding.
std::filesystem::path favoritesPathName(std::string_view shiftJisName);
// A name on the disk as text, characters without a Shift-JIS form dropped.
std::string titleOfPathName(const std::filesystem::path& name, LostCharacters* lost = nullptr);

}  // namespace perchlet
