// Times the data file reader and writer on a large document against a plain file read and
// write of the same bytes. Run: data_file_bench [item count]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

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

}  // namespace

int main(int argc, char** argv) {
    unsigned count = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    std::string text = generatedText(count);
    std::printf("items: %u, text: %zu bytes\n", count, text.size());

    Document document;
    FallbackIcons icons;
    DataFileReadResult loaded;
    double loadTime = timed([&] { loaded = loadDataFile(text, document, icons); });
    std::string written;
    double writeTime = timed([&] { written = writeDataFile(document, document.tree.firstTopLevel(), 0); });

    std::string path = "/tmp/perchlet_bench_" + std::to_string(getpid()) + ".dat";
    double plainWrite = timed([&] {
        std::ofstream out(path, std::ios::binary);
        out.write(written.data(), static_cast<std::streamsize>(written.size()));
    });
    std::string readBack;
    double plainRead = timed([&] {
        std::ifstream in(path, std::ios::binary);
        readBack.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    std::remove(path.c_str());

    std::printf("records inserted: %zu, written: %zu bytes%s\n", loaded.inserted, written.size(),
                readBack == written ? "" : " (file read back differs!)");
    std::printf("load (core):        %8.1f ms\n", loadTime * 1000);
    std::printf("write (core):       %8.1f ms\n", writeTime * 1000);
    std::printf("plain file write:   %8.1f ms\n", plainWrite * 1000);
    std::printf("plain file read:    %8.1f ms\n", plainRead * 1000);
    std::printf("peak memory:        %8ld KiB\n", peakMemoryKiB());
    return loaded.inserted == count && readBack == written ? 0 : 1;
}
