// Times the import of the same links (100,000 in 1,000 folders) from a Chromium Bookmarks
// file and from a Firefox places.sqlite, against a Netscape file as browsers export it (UTF-8,
// converted as the program and the tool convert it): each from the file on disk to the items
// in a document, best of three runs.
// Run: browser_import_bench [folder count] [links per folder]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <sqlite3.h>

#include "keep_memory.h"
#include "exchange/browser_profiles.h"
#include "exchange/netscape.h"
#include "store/encoding.h"
#include "store/tree_population.h"

using namespace perchlet;
namespace fs = std::filesystem;

namespace {

std::string pageTitle(int n) { return u8"ページ " + std::to_string(n) + u8" の題"; }
std::string pageAddress(int n) { return "https://example.com/page/" + std::to_string(n) + "?a=1&b=2"; }

std::string chromiumFile(int folders, int linksPerFolder) {
    std::string out = R"({"checksum": "0", "roots": {"bookmark_bar": {"children": [)";
    int serial = 0;
    for (int f = 0; f < folders; ++f) {
        if (f > 0) out += ",";
        out += R"({"children": [)";
        for (int l = 0; l < linksPerFolder; ++l, ++serial) {
            if (l > 0) out += ",";
            out += R"({"date_added": "13340000000000000", "date_last_used": "13345000000000000", "guid": "g)" +
                   std::to_string(serial) + R"(", "id": ")" + std::to_string(serial) + R"(", "name": ")" +
                   pageTitle(serial) + R"(", "type": "url", "url": ")" + pageAddress(serial) + R"("})";
        }
        out += R"(], "date_added": "13340000000000000", "name": ")" + std::string(u8"フォルダ ") + std::to_string(f) +
               R"(", "type": "folder"})";
    }
    out += R"(], "name": "Bookmarks bar", "type": "folder"}, "other": {"children": []}, "synced": {"children": []}}, "version": 1})";
    return out;
}

bool makePlaces(const fs::path& file, int folders, int linksPerFolder) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.u8string().c_str(), &db) != SQLITE_OK) return false;
    auto run = [&](const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; };
    bool made = run("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
                    "last_visit_date INTEGER, guid TEXT);"
                    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, "
                    "position INTEGER, title LONGVARCHAR, dateAdded INTEGER, lastModified INTEGER, guid TEXT);"
                    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);"
                    "BEGIN;"
                    "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 0, 0, 'root________');"
                    "INSERT INTO moz_bookmarks VALUES (2, 2, NULL, 1, 0, 'menu', 0, 0, 'menu________');"
                    "INSERT INTO moz_bookmarks VALUES (3, 2, NULL, 1, 1, 'toolbar', 0, 0, 'toolbar_____');");
    sqlite3_stmt* place = nullptr;
    sqlite3_stmt* mark = nullptr;
    made = made && sqlite3_prepare_v2(db, "INSERT INTO moz_places VALUES (?, ?, NULL, 1700000000000000, NULL)", -1, &place, nullptr) == SQLITE_OK;
    made = made && sqlite3_prepare_v2(db, "INSERT INTO moz_bookmarks VALUES (?, ?, ?, ?, ?, ?, 1690000000000000, 0, NULL)", -1, &mark, nullptr) == SQLITE_OK;
    auto insertMark = [&](int id, int type, int fk, int parent, int position, const std::string& title) {
        sqlite3_bind_int(mark, 1, id);
        sqlite3_bind_int(mark, 2, type);
        if (fk) sqlite3_bind_int(mark, 3, fk);
        else sqlite3_bind_null(mark, 3);
        sqlite3_bind_int(mark, 4, parent);
        sqlite3_bind_int(mark, 5, position);
        sqlite3_bind_text(mark, 6, title.c_str(), -1, SQLITE_TRANSIENT);
        bool done = sqlite3_step(mark) == SQLITE_DONE;
        sqlite3_reset(mark);
        return done;
    };
    int id = 10;
    int serial = 0;
    for (int f = 0; made && f < folders; ++f) {
        int folderId = id++;
        made = insertMark(folderId, 2, 0, 3, f, u8"フォルダ " + std::to_string(f));
        for (int l = 0; made && l < linksPerFolder; ++l, ++serial) {
            std::string address = pageAddress(serial);
            sqlite3_bind_int(place, 1, serial + 1);
            sqlite3_bind_text(place, 2, address.c_str(), -1, SQLITE_TRANSIENT);
            made = sqlite3_step(place) == SQLITE_DONE;
            sqlite3_reset(place);
            made = made && insertMark(id++, 1, serial + 1, folderId, l, pageTitle(serial));
        }
    }
    sqlite3_finalize(place);
    sqlite3_finalize(mark);
    made = made && run("COMMIT;");
    sqlite3_close(db);
    return made;
}

// The address as an attribute value: its "&" as a reference, as browsers write it.
std::string attributeOf(const std::string& address) {
    std::string out;
    for (char c : address) out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

std::string netscapeFile(int folders, int linksPerFolder) {
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n"
                      "<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n<DL><p>\r\n"
                      "<DT><H3 ADD_DATE=\"1695526400\">Bookmarks bar</H3>\r\n<DL><p>\r\n";
    int serial = 0;
    for (int f = 0; f < folders; ++f) {
        out += "    <DT><H3 ADD_DATE=\"1695526400\">" + std::string(u8"フォルダ ") + std::to_string(f) +
               "</H3>\r\n    <DL><p>\r\n";
        for (int l = 0; l < linksPerFolder; ++l, ++serial)
            out += "        <DT><A HREF=\"" + attributeOf(pageAddress(serial)) +
                   "\" ADD_DATE=\"1695526400\" LAST_VISIT=\"1700526400\">" + pageTitle(serial) + "</A>\r\n";
        out += "    </DL><p>\r\n";
    }
    out += "</DL><p>\r\n</DL><p>\r\n";
    return out;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of three: from the file to the items in a fresh document; the items made.
double bestOfThree(const std::function<std::size_t(Document&, NodeId)>& import, std::size_t& items) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        Document document;
        NodeId root = insertRootItem(document);
        auto start = std::chrono::steady_clock::now();
        items = import(document, root);
        best = std::min(best, secondsSince(start));
    }
    return best;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemoryBetweenRuns();
    int folders = argc > 1 ? std::atoi(argv[1]) : 1000;
    int linksPerFolder = argc > 2 ? std::atoi(argv[2]) : 100;
    fs::path work = fs::temp_directory_path() / ("perchlet_browser_bench_" + std::to_string(::getpid()));
    fs::create_directories(work);
    fs::path bookmarks = work / "Bookmarks";
    fs::path places = work / "places.sqlite";
    fs::path html = work / "bookmarks.html";
    std::ofstream(bookmarks, std::ios::binary) << chromiumFile(folders, linksPerFolder);
    std::ofstream(html, std::ios::binary) << netscapeFile(folders, linksPerFolder);
    if (!makePlaces(places, folders, linksPerFolder)) {
        std::fprintf(stderr, "cannot make %s\n", places.c_str());
        return 1;
    }
    std::printf("%d folders, %d links; Bookmarks %.1f MB, places.sqlite %.1f MB, Netscape file %.1f MB\n", folders,
                folders * linksPerFolder, fs::file_size(bookmarks) / 1e6, fs::file_size(places) / 1e6,
                fs::file_size(html) / 1e6);

    std::size_t netscapeItems = 0, chromiumItems = 0, firefoxItems = 0;
    auto netscapeImport = [&](Document& d, NodeId root) {
        std::string text = readFile(html);
        if (shouldOfferUtf8Conversion(text)) text = utf8ToShiftJis(text, Unrepresentable::CharacterReference);
        return importNetscape(text, d, root).count;
    };
    double netscape = bestOfThree(netscapeImport, netscapeItems);
    auto browser = [&](const fs::path& file) {
        return [file](Document& d, NodeId root) {
            BrowserRead read = readBrowserFile(file);
            return read.bookmarks ? addBrowserBookmarks(std::move(*read.bookmarks), d, root).count : 0;
        };
    };
    double chromium = bestOfThree(browser(bookmarks), chromiumItems);
    double firefox = bestOfThree(browser(places), firefoxItems);
    std::printf("Netscape file:  %zu items in %.3f s\n", netscapeItems, netscape);
    std::printf("Bookmarks:      %zu items in %.3f s (%.2f x the Netscape file)\n", chromiumItems, chromium,
                chromium / netscape);
    std::printf("places.sqlite:  %zu items in %.3f s (%.2f x the Netscape file)\n", firefoxItems, firefox,
                firefox / netscape);
    // Where the time of a browser file goes: reading it, and making the items.
    for (const fs::path& file : {bookmarks, places}) {
        auto start = std::chrono::steady_clock::now();
        BrowserRead read = readBrowserFile(file);
        double reading = secondsSince(start);
        Document document;
        NodeId root = insertRootItem(document);
        start = std::chrono::steady_clock::now();
        if (read.bookmarks) addBrowserBookmarks(std::move(*read.bookmarks), document, root);
        std::printf("  %s: read %.3f s, items made %.3f s\n", file.filename().c_str(), reading, secondsSince(start));
    }
    fs::remove_all(work);
    return 0;
}
