// The program's own document text: the data file, a subtree exported as a data file, and
// the clipboard text of cut and copied subtrees. CR LF line ends; Shift-JIS, or UTF-8 after
// a byte order mark (EF BB BF) with the same header, keys and records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/document.h"
#include "store/tree_population.h"

namespace perchlet {

// The three header lines; its first 14 bytes identify the format.
extern const char kDataFileHeader[];
constexpr std::size_t kDataFileSignatureLength = 14;

// The Shift-JIS signature only: what a reader of Shift-JIS documents takes.
bool hasDataFileSignature(std::string_view text);

// The encoding a data file text is in, told by its start: the Shift-JIS signature, or the
// byte order mark followed by the signature in UTF-8. Nothing for any other text.
std::optional<TextEncoding> dataFileEncoding(std::string_view text);

// The text of start's subtree, renumbered from base: the k-th record gets serial
// (base + k) mod 65536 and depth relative to start (start = 1). Empty when start is kNoNode.
// start = kTopLevel writes every top-level item's subtree as one walk, so that no top-level
// item is lost when there are several.
// The records' texts are written as they are: they must already be in `encoding`.
std::string writeDataFile(const Document& document, NodeId start, std::uint16_t base,
                          TextEncoding encoding = TextEncoding::ShiftJis);

// The same text handed over in pieces of about kDataFilePieceSize bytes, for a writer that
// streams it to a file without holding all of it. The sink answers false to stop: nothing
// more is handed over, and the result is false.
using DataFileSink = std::function<bool(std::string_view piece)>;
constexpr std::size_t kDataFilePieceSize = 1 << 20;
bool writeDataFilePieces(const Document& document, NodeId start, std::uint16_t base, TextEncoding encoding,
                         const DataFileSink& sink);

struct DataFileReadResult {
    bool rejected = false;           // no data file signature: nothing inserted
    bool noRecord = false;           // "[List]" blocks, but not one readable record among them
    std::uint16_t nextCounter = 0;   // the serial counter value to use next
    std::size_t inserted = 0;        // records inserted into the tree
    NodeId firstInserted = kNoNode;  // the first tree item made
    TextEncoding encoding = TextEncoding::ShiftJis;  // the file's
    std::size_t fieldsCut = 0;       // texts longer than the document keeps, cut to fit
    // Records of a UTF-8 file read into a Shift-JIS document whose title, address or comment
    // lost characters (each run of them now "〓"), and the first of them.
    std::size_t markedItems = 0;
    std::string firstMarkedTitle;
};

// Which files a reader takes, and into which encoding their texts go. Without an encoding the
// reader takes Shift-JIS files only, for a document that holds nothing else; with one it
// takes both kinds and converts the records' texts into it.
using DataFileTarget = std::optional<TextEncoding>;

// What a text holds, judged before anything is replaced by it. A file with "[List]" blocks
// none of which is a readable record is not an empty document: saving it as one would lose it.
enum class DataFileContent { NotDataFile, NoRecord, Readable };
DataFileContent examineDataFile(std::string_view text, DataFileTarget target = std::nullopt);

// Loading reader: the records go to the top level with their own numbers (a number some
// record already holds is given a fresh one; the file's root record fills the document's
// root record). The caller resets the document first and sets the serial counter from
// the result.
DataFileReadResult loadDataFile(std::string_view text, Document& document, ShellIconSource& icons,
                                DataFileTarget into = std::nullopt);

// Importing reader: the records go below target, renumbered from the serial counter and
// with their depths put below the target's.
DataFileReadResult importDataFile(std::string_view text, Document& document, NodeId target,
                                  ShellIconSource& icons, DataFileTarget into = std::nullopt);

}  // namespace perchlet
