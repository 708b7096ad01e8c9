// The browser profiles on this machine whose bookmarks can be brought in: where each browser
// keeps them under the user's folders, which are passed in so that tests and the tool can
// point anywhere.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/browser_bookmarks.h"

namespace perchlet {

// The user's folders the browsers keep profiles under; an empty one is not looked in.
struct BrowserHomeFolders {
    std::filesystem::path localAppData;  // Windows: the Chromium family
    std::filesystem::path appData;       // Windows: Firefox
    std::filesystem::path home;          // Linux and the like: ~/.config, ~/.mozilla
};

enum class BrowserFileKind { ChromiumBookmarks, FirefoxPlaces };

struct BrowserProfile {
    std::string browser;  // "Google Chrome", "Firefox", ...
    std::string name;     // the name the user gave the profile, Shift-JIS
    BrowserFileKind kind = BrowserFileKind::ChromiumBookmarks;
    std::filesystem::path file;  // Bookmarks or places.sqlite
};

// Every profile that has a bookmarks file, browser by browser; a browser's profiles in the
// order it lists them ("Default" first, then "Profile 1", "Profile 2", ...).
std::vector<BrowserProfile> findBrowserProfiles(const BrowserHomeFolders& folders);

// "Google Chrome ― Default": what the dialog lists and what the imported folder is called.
std::string browserProfileLabel(const BrowserProfile& profile);

// Reads the profile's bookmarks file.
BrowserRead readBrowserProfile(const BrowserProfile& profile, TextEncoding into = TextEncoding::ShiftJis);

// Reads a file of either kind, told by its content; NotBookmarks when it is neither.
BrowserRead readBrowserFile(const std::filesystem::path& file, TextEncoding into = TextEncoding::ShiftJis);

// Whether the file is one of the browsers' own bookmark files, by its content.
bool isBrowserBookmarksFile(const std::filesystem::path& file);

}  // namespace perchlet
