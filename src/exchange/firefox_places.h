// Firefox's files: a profile's places.sqlite (bookmarks in SQLite) and the profiles.ini
// that lists the profiles.
#pragma once
#include <filesystem>
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
BrowserRead readFirefoxPlaces(const std::filesystem::path& placesFile);

// Whether the bytes start as an SQLite database does.
bool looksLikeSqlite(std::string_view firstBytes);

struct FirefoxProfileEntry {
    std::string name;  // UTF-8, as profiles.ini has it
    std::filesystem::path folder;
};

// The [Profile...] sections of profiles.ini in their order; relative paths are taken from
// firefoxFolder.
std::vector<FirefoxProfileEntry> firefoxProfilesFromIni(std::string_view ini, const std::filesystem::path& firefoxFolder);

}  // namespace perchlet
