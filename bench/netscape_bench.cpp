// Times the Netscape import of a large file (100,000 links in 1,000 folders) against one bulk
// read of the same bytes from a file, and the export of the result.
// Run: netscape_bench [folder count] [links per folder] [split]; netscape_bench --sample FILE
// writes the file of 100,000 links only
// "split" nests every second folder in the one before it, so that the links lie at two
// depths; otherwise all links share one depth, and past 65,536 of them the 16-bit serials of
// that kind and depth are all held, which makes each new item number a long search.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <memory>
#include <string>

#include "keep_memory.h"
#include "exchange/netscape.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

std::string generateFile(int folders, int linksPerFolder, bool split) {
    std::string out =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
        "charset=Shift_JIS\">\r\n<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n<DL><p>\r\n";
    int serial = 0;
    for (int f = 0; f < folders; ++f) {
        bool nestedInPrevious = split && f % 2 == 1;
        if (split && !nestedInPrevious && f > 0) out += "    </DL><p>\r\n";
        out += "    <DT><H3 ADD_DATE=\"1690000000\" LAST_MODIFIED=\"1690000001\">フォルダ " + std::to_string(f) +
               "</H3>\r\n    <DL><p>\r\n";
        for (int l = 0; l < linksPerFolder; ++l, ++serial) {
            std::string n = std::to_string(serial);
            out += "        <DT><A HREF=\"https://example.com/page/" + n + "?a=1&amp;b=2\" ADD_DATE=\"1690000000\" "
                   "LAST_VISIT=\"1700000000\" LAST_MODIFIED=\"1695000000\" ICON=\"data:image/png;base64,iVBORw0KGgo\">"
                   "ページ " + n + " &amp; more</A>\r\n";
            if (serial % 5 == 0) out += "<DD>説明の文 " + n + "<BR>\r\nsecond line\r\n";
        }
        if (!split || nestedInPrevious) out += "    </DL><p>\r\n";
    }
    if (split && folders % 2 == 1) out += "    </DL><p>\r\n";
    out += "</DL><p>\r\n";
    return out;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemoryBetweenRuns();
    // The benchmark's file alone, for the whole-process figures of bench/convert_bench.sh.
    if (argc > 2 && std::string(argv[1]) == "--sample") {
        std::ofstream(argv[2], std::ios::binary) << generateFile(1000, 100, false);
        return 0;
    }
    int folders = argc > 1 ? std::atoi(argv[1]) : 1000;
    int linksPerFolder = argc > 2 ? std::atoi(argv[2]) : 100;
    bool split = argc > 3 && std::string(argv[3]) == "split";
    std::string text = generateFile(folders, linksPerFolder, split);
    std::string path = "/tmp/perchlet_netscape_bench_" + std::to_string(::getpid()) + ".html";
    std::ofstream(path, std::ios::binary) << text;
    std::printf("file: %d folders, %d links, %s, %.1f MB\n", folders, folders * linksPerFolder,
                split ? "links at two depths" : "links at one depth", text.size() / 1e6);
    std::printf("peak memory before the runs: %ld KB\n", peakKilobytes());

    const int runs = 5;
    // One bulk read of the file's size into fresh memory, as the program reads a file before
    // importing it: the least an import must do.
    auto start = std::chrono::steady_clock::now();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string read(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(read.data(), static_cast<std::streamsize>(read.size()));
    read.resize(static_cast<std::size_t>(in.gcount()));
    double readSeconds = secondsSince(start);

    // Each import into a document of its own; tearing the last one down is not timed.
    auto document = std::make_unique<Document>();
    ImportResult result;
    double importSeconds = 0;
    for (int run = 0; run < runs; ++run) {
        document = std::make_unique<Document>();
        NodeId root = insertRootItem(*document);
        auto start = std::chrono::steady_clock::now();
        result = importNetscape(read, *document, root);
        double seconds = secondsSince(start);
        if (run == 0 || seconds < importSeconds) importSeconds = seconds;
    }

    start = std::chrono::steady_clock::now();
    std::string exported = exportNetscape(*document, document->tree.firstTopLevel());
    double exportSeconds = secondsSince(start);

    std::printf("(import: best of %d runs)\n", runs);
    std::printf("bulk read of the file:   %8.3f s (%zu bytes)\n", readSeconds, read.size());
    std::printf("import through the core: %8.3f s (%zu items, %.1fx the bulk read)\n", importSeconds, result.count,
                importSeconds / readSeconds);
    std::printf("export of the result:    %8.3f s (%zu bytes)\n", exportSeconds, exported.size());
    std::printf("peak memory: %ld KB\n", peakKilobytes());
    std::remove(path.c_str());
    return result.count == static_cast<std::size_t>(folders) * (linksPerFolder + 1) ? 0 : 1;
}
