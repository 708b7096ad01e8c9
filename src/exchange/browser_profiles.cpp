#include "exchange/browser_profiles.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "exchange/chromium_bookmarks.h"
#include "exchange/firefox_places.h"
#include "store/encoding.h"

namespace perchlet {

namespace fs = std::filesystem;

namespace {

struct ChromiumBrowser {
    const char* name;
    const char* underLocalAppData;  // Windows
    const char* underHome;          // Linux
};

constexpr ChromiumBrowser kChromiumBrowsers[] = {
    {"Google Chrome", "Google/Chrome/User Data", ".config/google-chrome"},
    {"Microsoft Edge", "Microsoft/Edge/User Data", ".config/microsoft-edge"},
    {"Brave", "BraveSoftware/Brave-Browser/User Data", ".config/BraveSoftware/Brave-Browser"},
    {"Vivaldi", "Vivaldi/User Data", ".config/vivaldi"},
    {"Chromium", "Chromium/User Data", ".config/chromium"},
};

constexpr const char* kFirefoxUnderAppData = "Mozilla/Firefox";
constexpr const char* kFirefoxUnderHome[] = {".mozilla/firefox", "snap/firefox/common/.mozilla/firefox"};

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// One read of the size the file has, into the text returned; whatever it grew by since is
// read on after that.
std::optional<std::string> readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::error_code error;
    std::uintmax_t size = isFile(path) ? fs::file_size(path, error) : 0;
    std::string bytes(error ? 0 : static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    if (in) {
        std::ostringstream rest;
        rest << in.rdbuf();
        bytes += rest.str();
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

fs::path under(const fs::path& root, const char* relative) {
    fs::path path = root;
    std::string_view rest(relative);
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        path /= std::string(rest.substr(0, slash));
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    }
    return path;
}

// "Default" first, then "Profile N" by N; 0 and -1 for what is no profile folder.
long profileOrder(const std::string& folderName) {
    if (folderName == "Default") return 0;
    constexpr std::string_view kPrefix = "Profile ";
    if (folderName.compare(0, kPrefix.size(), kPrefix) != 0 || folderName.size() == kPrefix.size() ||
        folderName.size() > kPrefix.size() + 6)
        return -1;
    long number = 0;
    for (char c : folderName.substr(kPrefix.size())) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number + 1;
}

std::string folderNameOf(const fs::path& path) { return path.filename().u8string(); }

void addChromiumProfiles(const ChromiumBrowser& browser, const fs::path& userData, std::vector<BrowserProfile>& out) {
    std::error_code error;
    if (!fs::is_directory(userData, error)) return;
    std::map<std::string, std::string> names;
    if (std::optional<std::string> state = readWhole(userData / "Local State")) names = chromiumProfileNames(*state);
    std::vector<std::pair<long, BrowserProfile>> found;
    for (fs::directory_iterator entry(userData, error), end; !error && entry != end; entry.increment(error)) {
        std::string folder = folderNameOf(entry->path());
        long order = profileOrder(folder);
        fs::path bookmarks = entry->path() / "Bookmarks";
        if (order < 0 || !isFile(bookmarks)) continue;
        auto named = names.find(folder);
        BrowserProfile profile;
        profile.browser = browser.name;
        profile.name = utf8ToShiftJis(named != names.end() ? named->second : folder, Unrepresentable::Mark);
        profile.kind = BrowserFileKind::ChromiumBookmarks;
        profile.file = bookmarks;
        found.emplace_back(order, std::move(profile));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& each : found) out.push_back(std::move(each.second));
}

void addFirefoxProfiles(const fs::path& firefoxFolder, std::vector<BrowserProfile>& out) {
    std::optional<std::string> ini = readWhole(firefoxFolder / "profiles.ini");
    if (!ini) return;
    for (const FirefoxProfileEntry& entry : firefoxProfilesFromIni(*ini, firefoxFolder)) {
        fs::path places = entry.folder / "places.sqlite";
        if (!isFile(places)) continue;
        BrowserProfile profile;
        profile.browser = "Firefox";
        profile.name = utf8ToShiftJis(entry.name, Unrepresentable::Mark);
        profile.kind = BrowserFileKind::FirefoxPlaces;
        profile.file = places;
        out.push_back(std::move(profile));
    }
}

}  // namespace

std::vector<BrowserProfile> findBrowserProfiles(const BrowserHomeFolders& folders) {
    std::vector<BrowserProfile> profiles;
    for (const ChromiumBrowser& browser : kChromiumBrowsers) {
        if (!folders.localAppData.empty())
            addChromiumProfiles(browser, under(folders.localAppData, browser.underLocalAppData), profiles);
        if (!folders.home.empty()) addChromiumProfiles(browser, under(folders.home, browser.underHome), profiles);
    }
    if (!folders.appData.empty()) addFirefoxProfiles(under(folders.appData, kFirefoxUnderAppData), profiles);
    if (!folders.home.empty())
        for (const char* place : kFirefoxUnderHome) addFirefoxProfiles(under(folders.home, place), profiles);
    return profiles;
}

std::string browserProfileLabel(const BrowserProfile& profile) { return profile.browser + " ― " + profile.name; }

BrowserRead readBrowserProfile(const BrowserProfile& profile, TextEncoding into) {
    if (profile.kind == BrowserFileKind::FirefoxPlaces) return readFirefoxPlaces(profile.file, into);
    std::optional<std::string> text = readWhole(profile.file);
    if (!text) return browserReadFailed(BrowserReadFailure::Unreadable, "cannot read the file");
    return readChromiumBookmarks(*text, into);
}

namespace {

bool startsAsSqlite(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char first[16] = {};
    in.read(first, sizeof first);
    return looksLikeSqlite(std::string_view(first, static_cast<std::size_t>(in.gcount())));
}

}  // namespace

BrowserRead readBrowserFile(const fs::path& file, TextEncoding into) {
    if (startsAsSqlite(file)) return readFirefoxPlaces(file, into);
    std::optional<std::string> text = readWhole(file);
    if (!text) return browserReadFailed(BrowserReadFailure::Unreadable, "cannot read the file");
    return readChromiumBookmarks(*text, into);
}

bool isBrowserBookmarksFile(const fs::path& file) {
    if (startsAsSqlite(file)) return true;
    std::optional<std::string> text = readWhole(file);
    return text && looksLikeChromiumBookmarks(*text);
}

}  // namespace perchlet
