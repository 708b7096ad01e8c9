#include "exchange/firefox_places.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>
#include <unordered_map>

#include <sqlite3.h>

namespace perchlet {

namespace fs = std::filesystem;

namespace {

struct FirefoxRoot {
    const char* guid;
    const char* title;
};

// The fixed guids Firefox gives its roots, in the order the import shows them.
constexpr FirefoxRoot kRoots[] = {
    {"menu________", "ブックマークメニュー"},
    {"toolbar_____", "ブックマークツールバー"},
    {"unfiled_____", "他のブックマーク"},
    {"mobile______", "モバイルのブックマーク"},
};

enum PlacesType : int { kTypeLink = 1, kTypeFolder = 2, kTypeSeparator = 3 };

struct PlacesRow {
    std::int64_t id = 0;
    int type = 0;
    std::string title;
    std::string url;
    std::string guid;
    std::int64_t added = 0;      // Unix seconds
    std::int64_t lastVisit = 0;  // Unix seconds
};

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<unsigned> counter{0};
        std::error_code error;
        fs::path base = fs::temp_directory_path(error);
        if (error) return;
        std::random_device random;
        for (int attempt = 0; attempt < 16; ++attempt) {
            fs::path candidate = base / ("perchlet-places-" + std::to_string(random()) + "-" +
                                         std::to_string(counter.fetch_add(1)));
            if (fs::create_directory(candidate, error) && !error) {
                path_ = candidate;
                return;
            }
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Copies the first count bytes by reading, with nothing more than read access: the browser
// may hold the file open.
bool copyBytes(const fs::path& from, const fs::path& to, std::uint64_t count) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::vector<char> buffer(1 << 16);
    while (count > 0 && in) {
        std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        in.read(buffer.data(), static_cast<std::streamsize>(wanted));
        std::size_t got = static_cast<std::size_t>(in.gcount());
        if (!out.write(buffer.data(), static_cast<std::streamsize>(got))) return false;
        count -= got;
    }
    return !in.bad() && static_cast<bool>(out.flush());
}

std::optional<std::uint64_t> fileSize(const fs::path& path) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool isPageSize(std::uint32_t size) { return size >= 512 && size <= 65536 && (size & (size - 1)) == 0; }

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

class Database {
public:
    explicit Database(const fs::path& file) {
        // SQLite takes file names as UTF-8 on every system.
        if (sqlite3_open_v2(file.u8string().c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { result_ = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    int prepareResult() const { return result_; }
    sqlite3_stmt* handle() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
    int result_ = SQLITE_ERROR;
};

std::string textColumn(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::int64_t secondsColumn(sqlite3_stmt* statement, int column) {
    return sqlite3_column_int64(statement, column) / 1000000;
}

constexpr const char* kBookmarksQuery =
    "SELECT b.id, b.type, b.parent, b.title, b.dateAdded, b.guid, p.url, p.last_visit_date "
    "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
    "ORDER BY b.parent, b.position, b.id";

struct PlacesTree {
    std::vector<PlacesRow> rows;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> children;  // by parent id, in order
};

// Every row; nothing when the database is not SQLite or has no bookmark tables.
std::optional<PlacesTree> readRows(sqlite3* db, BrowserRead& failure) {
    Statement statement(db, kBookmarksQuery);
    if (statement.prepareResult() != SQLITE_OK) {
        int code = statement.prepareResult();
        failure = browserReadFailed(code == SQLITE_NOTADB ? BrowserReadFailure::NotSqlite : BrowserReadFailure::NotBookmarks,
                                    sqlite3_errmsg(db));
        return std::nullopt;
    }
    PlacesTree tree;
    int step;
    while ((step = sqlite3_step(statement.handle())) == SQLITE_ROW) {
        sqlite3_stmt* s = statement.handle();
        PlacesRow row;
        row.id = sqlite3_column_int64(s, 0);
        row.type = sqlite3_column_int(s, 1);
        std::int64_t parent = sqlite3_column_int64(s, 2);
        row.title = textColumn(s, 3);
        row.added = secondsColumn(s, 4);
        row.guid = textColumn(s, 5);
        row.url = textColumn(s, 6);
        row.lastVisit = secondsColumn(s, 7);
        tree.children[parent].push_back(tree.rows.size());
        tree.rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) {
        failure = browserReadFailed(step == SQLITE_NOTADB ? BrowserReadFailure::NotSqlite : BrowserReadFailure::Unreadable,
                                    sqlite3_errmsg(db));
        return std::nullopt;
    }
    return tree;
}

// A root's contents in pre-order, without recursion; each row is taken once, so a damaged
// file whose folders hold each other cannot loop.
void collectChildren(const PlacesTree& tree, const PlacesRow& root, std::vector<bool>& taken,
                     BrowserBookmarkCollector& collector) {
    static const std::vector<std::size_t> kNone;
    auto childrenOf = [&](std::int64_t id) -> const std::vector<std::size_t>& {
        auto found = tree.children.find(id);
        return found != tree.children.end() ? found->second : kNone;
    };
    struct Level {
        const std::vector<std::size_t>* children;
        std::size_t next;
    };
    std::vector<Level> levels{{&childrenOf(root.id), 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next >= level.children->size()) {
            levels.pop_back();
            continue;
        }
        std::size_t index = (*level.children)[level.next++];
        if (taken[index]) continue;
        taken[index] = true;
        const PlacesRow& row = tree.rows[index];
        unsigned depth = static_cast<unsigned>(levels.size());
        if (row.type == kTypeLink) {
            collector.addLink(depth, row.title, row.url, row.added, row.lastVisit);
        } else if (row.type == kTypeFolder) {
            collector.addFolder(depth, row.title, row.added);
            levels.push_back({&childrenOf(row.id), 0});
        } else if (row.type == kTypeSeparator) {
            collector.leaveOutSeparator();
        }
    }
}

BrowserRead readDatabase(const fs::path& file) {
    Database database(file);
    if (!database.handle()) return browserReadFailed(BrowserReadFailure::Unreadable, "cannot open the copy");
    BrowserRead read;
    std::optional<PlacesTree> tree = readRows(database.handle(), read);
    if (!tree) return read;
    std::vector<bool> taken(tree->rows.size(), false);
    BrowserBookmarkCollector collector;
    bool rootSeen = false;
    for (const FirefoxRoot& root : kRoots) {
        for (std::size_t index = 0; index < tree->rows.size(); ++index) {
            const PlacesRow& row = tree->rows[index];
            if (row.guid != root.guid || row.type != kTypeFolder || taken[index]) continue;
            rootSeen = true;
            taken[index] = true;
            if (tree->children.count(row.id) == 0) break;
            collector.addRootFolder(root.title, row.added);
            collectChildren(*tree, row, taken, collector);
            break;
        }
    }
    if (!rootSeen) return browserReadFailed(BrowserReadFailure::NotBookmarks, "no bookmark roots in moz_bookmarks");
    read.bookmarks = collector.finish();
    return read;
}

std::string firstBytesOf(const fs::path& file, std::size_t count) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace

bool looksLikeSqlite(std::string_view firstBytes) {
    static constexpr std::string_view kHeader("SQLite format 3\0", 16);
    return firstBytes.substr(0, kHeader.size()) == kHeader;
}

std::optional<std::uint64_t> sqliteBytesInUse(std::string_view header, std::uint64_t fileSize) {
    if (header.size() < 100 || !looksLikeSqlite(header)) return std::nullopt;
    std::uint32_t pageSize = static_cast<std::uint32_t>(static_cast<unsigned char>(header[16]) << 8 |
                                                        static_cast<unsigned char>(header[17]));
    if (pageSize == 1) pageSize = 65536;
    if (!isPageSize(pageSize)) return std::nullopt;
    // The count is valid only where the change counter matches the version-valid-for number.
    std::uint32_t pages = bigEndian32(header, 28);
    if (pages == 0 || bigEndian32(header, 24) != bigEndian32(header, 92)) return fileSize;
    return std::min<std::uint64_t>(fileSize, std::uint64_t{pages} * pageSize);
}

bool looksLikeSqliteWal(std::string_view header) {
    constexpr std::uint32_t kMagic = 0x377f0682;  // the low bit says the checksums' byte order
    constexpr std::uint32_t kVersion = 3007000;
    return header.size() >= 32 && (bigEndian32(header, 0) | 1) == (kMagic | 1) && bigEndian32(header, 4) == kVersion &&
           isPageSize(bigEndian32(header, 8));
}

BrowserRead readFirefoxPlaces(const fs::path& placesFile) {
    std::optional<std::uint64_t> size = isFile(placesFile) ? fileSize(placesFile) : std::nullopt;
    if (!size) return browserReadFailed(BrowserReadFailure::Unreadable, "no such file");
    const std::string tooLarge = std::string("larger than ") + kPlacesSizeLimitText + "; not read";
    if (*size > kPlacesSizeLimit) return browserReadFailed(BrowserReadFailure::TooLarge, tooLarge);
    std::optional<std::uint64_t> inUse = sqliteBytesInUse(firstBytesOf(placesFile, 100), *size);
    if (!inUse) return browserReadFailed(BrowserReadFailure::NotSqlite, "not an SQLite database");
    // SQLite itself passes over a WAL whose header is not its own, so such a file is not copied.
    fs::path wal = placesFile;
    wal += "-wal";
    std::uint64_t walSize = 0;
    bool copyWal = isFile(wal) && looksLikeSqliteWal(firstBytesOf(wal, 32));
    if (copyWal) walSize = fileSize(wal).value_or(0);
    if (*inUse + walSize > kPlacesSizeLimit)
        return browserReadFailed(BrowserReadFailure::TooLarge, "with its -wal file " + tooLarge);
    ScratchFolder scratch;
    if (scratch.path().empty())
        return browserReadFailed(BrowserReadFailure::Unreadable, "cannot make a temporary folder");
    // The copies keep the names SQLite pairs a database and its WAL by.
    fs::path copy = scratch.path() / "places.sqlite";
    if (!copyBytes(placesFile, copy, *inUse))
        return browserReadFailed(BrowserReadFailure::Unreadable, "cannot copy the file");
    if (copyWal) {
        fs::path walCopy = copy;
        walCopy += "-wal";
        if (!copyBytes(wal, walCopy, walSize))
            return browserReadFailed(BrowserReadFailure::Unreadable, "cannot copy the -wal file");
    }
    return readDatabase(copy);
}

namespace {

std::string_view trimmed(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

fs::path profileFolder(const std::string& path, bool relative, const fs::path& firefoxFolder) {
    fs::path named = fs::u8path(path);
    if (!relative) return named;
    // Relative paths are written with "/" on every system.
    fs::path folder = firefoxFolder;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t slash = path.find_first_of("/\\", start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) folder /= fs::u8path(path.substr(start, slash - start));
        start = slash + 1;
    }
    return folder;
}

}  // namespace

std::vector<FirefoxProfileEntry> firefoxProfilesFromIni(std::string_view ini, const fs::path& firefoxFolder) {
    std::vector<FirefoxProfileEntry> profiles;
    struct Section {
        bool isProfile = false;
        std::string name, path;
        bool relative = true;
    } section;
    auto finishSection = [&] {
        if (section.isProfile && !section.path.empty())
            profiles.push_back({section.name.empty() ? section.path : section.name,
                                profileFolder(section.path, section.relative, firefoxFolder)});
        section = Section();
    };
    if (startsWith(ini, "\xEF\xBB\xBF")) ini.remove_prefix(3);
    while (!ini.empty()) {
        std::size_t end = ini.find('\n');
        std::string_view line = trimmed(ini.substr(0, end));
        ini.remove_prefix(end == std::string_view::npos ? ini.size() : end + 1);
        if (startsWith(line, "[")) {
            finishSection();
            section.isProfile = startsWith(line, "[Profile");
            continue;
        }
        std::size_t equals = line.find('=');
        if (!section.isProfile || equals == std::string_view::npos) continue;
        std::string_view key = trimmed(line.substr(0, equals));
        std::string value(trimmed(line.substr(equals + 1)));
        if (key == "Name") section.name = value;
        else if (key == "Path") section.path = value;
        else if (key == "IsRelative") section.relative = value != "0";
    }
    finishSection();
    return profiles;
}

}  // namespace perchlet
