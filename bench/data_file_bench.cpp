// Times the data file reader and writer on a large document against one bulk read and one
// bulk write of the same bytes, the least any load or save must do (best of several runs each),
// and measures the peak memory of a load: reading the file and building the document, in a
// process of its own.
// Run: data_file_bench [item count]; data_file_bench --sample FILE [item count] writes the file only
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>

#include "keep_memory.h"
#include "store/data_file.h"

using namespace perchlet;

namespace {

struct FallbackIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return imagesForKind(kKindLocalFile); }
};

void appendRecord(std::string& out, unsigned kind, unsigned depth, unsigned serial,
                  const std::string& title, const std::string& locator) {
    ItemNumber number = makeItemNumber(kind, depth, serial);
    out += "[List]\r\nItemNum=" + std::to_string(number) + "\r\nTestNum=0\r\nParentNum=0\r\nTitleName=" +
           title + "\r\nLocator=" + locator + "\r\nComment=" + (serial % 7 == 0 ? "memo\nsecond line" : "") +
           "\r\nLastModified=000000\r\nLastVisit=" + (serial % 3 == 0 ? "1700000000" : "") +
           "\r\nAddDate=1690000000\r\nRcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=" +
           (serial % 50 == 0 ? "1" : "0") + "\r\n\r\n";
}

// A root, folders in two levels below it, and links (web, mail, local files) in the lower
// folders, count items in all.
std::string generatedText(unsigned count) {
    std::string text = kDataFileHeader;
    unsigned made = 0;
    auto add = [&](unsigned kind, unsigned depth, const std::string& title, const std::string& locator) {
        ++made;
        appendRecord(text, kind, depth, made, title, locator);
    };
    add(kKindFolder, 1, "VoZivoVaro", "");
    for (unsigned group = 1; made < count; ++group) {
        add(kKindFolder, 2, "グループ " + std::to_string(group), "");
        for (unsigned sub = 1; sub <= 10 && made < count; ++sub) {
            add(kKindFolder, 3, "フォルダ " + std::to_string(sub), "");
            for (unsigned i = 1; i <= 98 && made < count; ++i) {
                std::string n = std::to_string(made + 1);
                if (i % 20 == 0) add(kKindMailLink, 4, "mail " + n, "mailto:user" + n + "@example.com");
                else if (i % 25 == 0) add(kKindLocalFile, 4, "tool " + n, "C:\\tools\\tool" + n + ".exe");
                else add(kKindWebLink, 4, "ページ " + n + " の題名", "http://www.example.com/pages/" + n + ".html");
            }
        }
    }
    return text;
}

// The text as the program saves it, every record naming its parent's number, as a user's
// file does (the generated one names none).
std::string savedText(const std::string& text) {
    FallbackIcons icons;
    Document document;
    loadDataFile(text, document, icons);
    return writeDataFile(document, kTopLevel, 0);
}

// A root holding one folder of `count` links: past 65,536 their serials repeat.
std::string folderOfLinks(unsigned count) {
    std::string text = kDataFileHeader;
    appendRecord(text, kKindFolder, 1, 1, "VoZivoVaro", "");
    appendRecord(text, kKindFolder, 2, 2, "links", "");
    for (unsigned i = 1; i <= count; ++i)
        appendRecord(text, kKindWebLink, 3, (i + 2) & 0xFFFF, "link " + std::to_string(i),
                     "http://l.example/" + std::to_string(i));
    return text;
}

// Links of the folder that come back after a save and load with their own address.
unsigned linksKeptThroughSaveAndLoad(const std::string& text, unsigned count, double& seconds) {
    FallbackIcons icons;
    Document document;
    loadDataFile(text, document, icons);
    auto start = std::chrono::steady_clock::now();
    Document again;
    loadDataFile(writeDataFile(document, kTopLevel, 0), again, icons);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    unsigned kept = 0, i = 0;
    NodeId folder = again.tree.firstChild(again.tree.firstTopLevel());
    for (NodeId n = again.tree.firstChild(folder); n != kNoNode && i < count; n = again.tree.nextSibling(n)) {
        const BookmarkItem* record = nodeRecord(again, n);
        if (record && record->locator == "http://l.example/" + std::to_string(++i)) ++kept;
    }
    return kept;
}

// The same items as a UTF-8 data file: its text, and its save timed as the Shift-JIS file's
// is (best of runs), with the UTF-8 text that comes back from it.
struct Utf8Figures {
    std::string text;
    double write = 0;
    bool sameBytes = false;
};

double secondsSince(std::chrono::steady_clock::time_point start);

Utf8Figures utf8Figures(const std::string& shiftJisText, int runs) {
    FallbackIcons icons;
    Document source;
    loadDataFile(shiftJisText, source, icons, TextEncoding::Utf8);
    Utf8Figures figures;
    figures.text = writeDataFile(source, kTopLevel, 0, TextEncoding::Utf8);
    std::string written;
    for (int i = 0; i < runs; ++i) {
        std::string().swap(written);
        auto start = std::chrono::steady_clock::now();
        written = writeDataFile(source, kTopLevel, 0, TextEncoding::Utf8);
        double t = secondsSince(start);
        if (i == 0 || t < figures.write) figures.write = t;
    }
    figures.sameBytes = written == figures.text;
    return figures;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Work>
double timed(Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return secondsSince(start);
}

long peakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, std::strlen(field), field) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// The whole file in one read of its size.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::streamsize size = in.tellg();
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    in.read(text.data(), size);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The whole text in one write.
void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The child's part: how far loading the file raises the peak above the process's start.
int measureLoadPeak(const char* path) {
    long before = statusKiB("VmRSS:");
    {
        Document document;
        FallbackIcons icons;
        std::string text = readFile(path);
        loadDataFile(text, document, icons);
    }
    std::printf("%ld\n", statusKiB("VmHWM:") - before);
    return 0;
}

// A file read in bulk and then loaded from the bytes just read, as the program loads a file:
// the best of each over the runs it takes part in.
struct ReadThenLoad {
    ReadThenLoad(std::string file, TextEncoding encoding) : path(std::move(file)), into(encoding) {}

    std::string path;
    TextEncoding into;
    double read = 0, load = 0;
    std::string bytes;  // of the last read
    DataFileReadResult loaded;

    void run(bool first) {
        std::string().swap(bytes);
        double r = timed([&] { bytes = readFile(path); });
        Document document;
        FallbackIcons icons;
        double l = timed([&] { loaded = loadDataFile(bytes, document, icons, into); });
        read = first ? r : std::min(read, r);
        load = first ? l : std::min(load, l);
    }
};

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemoryBetweenRuns();
    if (argc > 2 && std::strcmp(argv[1], "--load-peak") == 0) return measureLoadPeak(argv[2]);
    // The benchmark's document as a file, for the whole-process figures of bench/convert_bench.sh.
    if (argc > 2 && std::strcmp(argv[1], "--sample") == 0) {
        unsigned count = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 100000;
        writeFile(argv[2], savedText(generatedText(count)));
        return 0;
    }
    unsigned count = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    // A load takes about 10 ms, and a shared machine's other work lands on a run as often as
    // not: the best of fifteen is the work itself far more often than the best of five.
    const int runs = 15;
    std::string text = savedText(generatedText(count));
    std::printf("items: %u, text: %zu bytes\n", count, text.size());

    Document document;
    FallbackIcons icons;
    loadDataFile(text, document, icons);
    // Freeing the previous run's text is not part of a write: it happens before the clock starts.
    std::string written;
    double writeTime = 0;
    for (int i = 0; i < runs; ++i) {
        std::string().swap(written);
        auto start = std::chrono::steady_clock::now();
        written = writeDataFile(document, kTopLevel, 0);
        double t = secondsSince(start);
        if (i == 0 || t < writeTime) writeTime = t;
    }

    std::string path = "/tmp/perchlet_bench_" + std::to_string(getpid()) + ".dat";
    // The data file as the tool writes it: piece by piece into the file, no whole text made.
    // The two take turns, each going first in every other pair, so that both meet the system's
    // write-back in the same states; timed apart, either swings by half between runs. Each
    // writes a new file, as a save does (a temporary file, then renamed): the old file is
    // removed before the clock starts, since cutting 27 MB of cached pages off an existing
    // file costs as much as the write itself, and only the first write of all was spared it.
    auto streamTheWriter = [&] {
        std::ofstream out(path, std::ios::binary);
        writeDataFilePieces(document, kTopLevel, 0, TextEncoding::ShiftJis, [&](std::string_view piece) {
            return static_cast<bool>(out.write(piece.data(), static_cast<std::streamsize>(piece.size())));
        });
    };
    double bulkWrite = 0, streamedWrite = 0;
    auto fresh = [&](auto write) {
        std::remove(path.c_str());
        return timed(write);
    };
    for (int i = 0; i < runs; ++i) {
        double streamed = i % 2 ? fresh(streamTheWriter) : 0;
        double bulk = fresh([&] { writeFile(path, written); });
        if (i % 2 == 0) streamed = fresh(streamTheWriter);
        bulkWrite = i == 0 ? bulk : std::min(bulkWrite, bulk);
        streamedWrite = i == 0 ? streamed : std::min(streamedWrite, streamed);
    }
    Utf8Figures utf8 = utf8Figures(text, runs);
    std::string utf8Path = path + ".utf8";
    writeFile(utf8Path, utf8.text);
    // The two files' reads and loads take turns, so that the machine's other work, which swings
    // any of them by half from one second to the next, meets a load and the read it is set
    // against alike. (The document's teardown is not part of a load.)
    ReadThenLoad shiftJis(path, TextEncoding::ShiftJis), utf8Load(utf8Path, TextEncoding::Utf8);
    for (int i = 0; i < runs; ++i) {
        shiftJis.run(i == 0);
        utf8Load.run(i == 0);
    }
    const std::string& readBack = shiftJis.bytes;
    const DataFileReadResult& loaded = shiftJis.loaded;
    double loadTime = shiftJis.load, bulkRead = shiftJis.read;

    // The load's peak memory, in a fresh process that holds nothing else.
    std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --load-peak '" + path + "'";
    long loadPeak = -1;
    if (FILE* child = popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%ld", &loadPeak) != 1) loadPeak = -1;
        pclose(child);
    }
    std::remove(path.c_str());
    std::remove(utf8Path.c_str());

    std::printf("records inserted: %zu, written: %zu bytes%s\n", loaded.inserted, written.size(),
                readBack == written ? "" : " (file read back differs!)");
    std::printf("(best of %d runs)\n", runs);
    std::printf("load (core):        %8.1f ms  (%.1fx one bulk read; the bytes just read)\n", loadTime * 1000,
                loadTime / bulkRead);
    std::printf("write (core):       %8.1f ms  (%.1fx one bulk write)\n", writeTime * 1000, writeTime / bulkWrite);
    std::printf("write to a file:    %8.1f ms  (%.1fx one bulk write; in pieces, as perchlet-tool convert writes)\n",
                streamedWrite * 1000, streamedWrite / bulkWrite);
    std::printf("bulk file write:    %8.1f ms\n", bulkWrite * 1000);
    std::printf("bulk file read:     %8.1f ms\n", bulkRead * 1000);
    std::printf("load peak memory:   %8ld KiB  (%.2fx the file's size; file read and document built)\n", loadPeak,
                loadPeak * 1024.0 / static_cast<double>(written.size()));
    std::printf("bench peak memory:  %8ld KiB  (this process, holding every text above)\n", peakMemoryKiB());

    std::printf("UTF-8 load (core):  %8.1f ms  (%.1fx one bulk read of its %.1f ms, %.2fx the Shift-JIS load)\n",
                utf8Load.load * 1000, utf8Load.load / utf8Load.read, utf8Load.read * 1000, utf8Load.load / loadTime);
    std::printf("UTF-8 write (core): %8.1f ms  (%.1fx one bulk write, %.2fx the Shift-JIS write)%s\n",
                utf8.write * 1000, utf8.write / bulkWrite, utf8.write / writeTime,
                utf8.sameBytes ? "" : " (written text differs!)");

    double roundTrip = 0;
    unsigned kept = linksKeptThroughSaveAndLoad(folderOfLinks(count), count, roundTrip);
    std::printf("%u links in one folder: %u kept their own address through a save and load (%.1f ms)\n", count,
                kept, roundTrip * 1000);
    bool utf8Whole = utf8Load.loaded.inserted == count && utf8Load.bytes == utf8.text;
    return loaded.inserted == count && readBack == written && kept == count && utf8.sameBytes && utf8Whole ? 0 : 1;
}
