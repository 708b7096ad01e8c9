// Firefox's files: a profile's places.sqlite (bookmarks in SQLite) and the profiles.ini
// that lists the profiles.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/browser_bookmarks.h"

namespace perchlet {

// Reads places.sqlite through a copy of it and its -wal in a temporary folder, opened
// read-only: a running Firefox keeps the file open and writes through the WAL, and neither
// blocks this read nor is disturbed by it, and what is still in the WAL comes along.
// The roots are the menu, the toolbar, the other bookmarks and the mobile ones, in that
// order; roots that hold nothing are left out, and so are tags.
// A database (with its -wal) beyond kPlacesSizeLimit is refused before anything is copied:
// a real profile's is far smaller, and a damaged or sparse file would fill the disk.
BrowserRead readFirefoxPlaces(const std::filesystem::path& placesFile);

constexpr std::uint64_t kPlacesSizeLimit = std::uint64_t{1} << 30;
constexpr const char kPlacesSizeLimitText[] = "1 GiB";

// Whether the bytes start as an SQLite database does.
bool looksLikeSqlite(std::string_view firstBytes);

// How many bytes from the start of a database file of fileSize SQLite reads, from its
// 100-byte header: the pages its header counts, or (for a header older SQLites left without
// a valid count) the whole file. Nothing when the header is no SQLite header.
std::optional<std::uint64_t> sqliteBytesInUse(std::string_view header, std::uint64_t fileSize);

// Whether the first 32 bytes of a -wal file are a WAL header that SQLite would read.
bool looksLikeSqliteWal(std::string_view header);

struct FirefoxProfileEntry {
    std::string name;  // UTF-8, as profiles.ini has it
    std::filesystem::path folder;
};

// The [Profile...] sections of profiles.ini in their order; relative paths are taken from
// firefoxFolder.
std::vector<FirefoxProfileEntry> firefoxProfilesFromIni(std::string_view ini, const std::filesystem::path& firefoxFolder);

}  // namespace perchlet
