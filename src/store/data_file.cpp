#include "store/data_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/encoding.h"
#include "store/parent_stack.h"
#include "store/plain_text.h"

namespace perchlet {

const char kDataFileHeader[] =
    "これは自動生成されたファイルです。編集しないで下さい。\r\n"
    "[Version]\r\n"
    "DataVersion=1.01\r\n";

bool hasDataFileSignature(std::string_view text) {
    return text.size() >= kDataFileSignatureLength &&
           std::memcmp(text.data(), kDataFileHeader, kDataFileSignatureLength) == 0;
}

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The header of a UTF-8 data file: the mark, then the same lines in UTF-8.
const std::string& utf8Header() {
    static const std::string header = std::string(kByteOrderMark) + shiftJisToUtf8(kDataFileHeader);
    return header;
}

// The UTF-8 file's signature: the mark and the same characters the Shift-JIS one has.
std::string_view utf8Signature() {
    static const std::size_t length =
        kByteOrderMark.size() + shiftJisToUtf8(std::string_view(kDataFileHeader, kDataFileSignatureLength)).size();
    return std::string_view(utf8Header()).substr(0, length);
}

// The text the records are read from: after the mark for a UTF-8 file.
std::string_view bodyOf(std::string_view text, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? text.substr(kByteOrderMark.size()) : text;
}

}  // namespace

std::optional<TextEncoding> dataFileEncoding(std::string_view text) {
    if (hasDataFileSignature(text)) return TextEncoding::ShiftJis;
    if (text.substr(0, utf8Signature().size()) == utf8Signature()) return TextEncoding::Utf8;
    return std::nullopt;
}

namespace {

constexpr std::string_view kRecordStart = "[List]";
constexpr std::string_view kCrLf = "\r\n";

// ---- writing ----

// A record is written into space made beforehand: nothing goes past what recordSize says. A
// value or number may be written with up to 16 bytes past its end, which the lines after it
// cover, or the room its widest spelling was given. Each step takes where to write and gives back where it ended: a position kept in a
// writer object would be stored and loaded again around every byte written, since a char
// store may change any object.

// The high bit of each byte below 0x0E, where CR and LF lie: nonzero exactly when the word
// has such a byte.
constexpr std::uint64_t bytesBelowCr(std::uint64_t word) { return bytesBelow<std::uint64_t>(word, 0x0E); }

// The lowest `count` bytes of a word (count at most 8).
constexpr std::uint64_t lowBytes(std::size_t count) {
    return count >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * count)) - 1;
}

void storeWord(char* at, std::uint64_t word) { std::memcpy(at, &word, sizeof word); }

#if defined(__SSE2__)
// A bit for each of the 16 bytes below 0x0E.
inline unsigned lowByteBits(__m128i bytes) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x0D)), bytes)));
}

inline unsigned copySixteen(char* to, const char* from) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
    return lowByteBits(bytes);
}
#endif

// A value is copied whatever it holds, and looked at as it goes: text of any kind seldom has
// a byte below 0x0E, and only a value with one is written again, byte by byte. There is room
// for 16 bytes at `to` whatever the value's size.

static_assert(sizeof(CompactText) == 16 && CompactText::kInside < 16, "a short text lies in 16 bytes");

// A text held inside its CompactText goes as its 16 bytes: those past it fall where the
// record's next line will go. Flags past the text, from its tag or older bytes, are masked off.
inline bool copyShortFlaggingLowBytes(char* to, const CompactText& value) {
    const char* from = value.data();
    const std::size_t size = value.size();
#if defined(__SSE2__)
    return (copySixteen(to, from) & ((1u << size) - 1)) != 0;
#else
    std::uint64_t first = wordAt<std::uint64_t>(from), second = wordAt<std::uint64_t>(from + 8);
    storeWord(to, first);
    storeWord(to + 8, second);
    // A false flag can only stand above a true one.
    std::uint64_t secondBytes = lowBytes(size > 8 ? size - 8 : 0);
    return ((bytesBelowCr(first) & lowBytes(size)) | (bytesBelowCr(second) & secondBytes)) != 0;
#endif
}

// A longer text (any text not held inside, so 16 bytes or more) goes in blocks whose last
// overlaps the one before it, so nothing past it is read.
bool copyLongFlaggingLowBytes(char* to, const char* from, std::size_t size) {
#if defined(__SSE2__)
    unsigned low = 0;
    for (std::size_t i = 0; i + 16 < size; i += 16) low |= copySixteen(to + i, from + i);
    return (low | copySixteen(to + size - 16, from + size - 16)) != 0;
#else
    std::uint64_t low = 0;
    for (std::size_t i = 0; i + 8 < size; i += 8) {
        std::uint64_t word = wordAt<std::uint64_t>(from + i);
        storeWord(to + i, word);
        low |= bytesBelowCr(word);
    }
    std::uint64_t word = wordAt<std::uint64_t>(from + size - 8);
    storeWord(to + size - 8, word);
    return (low | bytesBelowCr(word)) != 0;
#endif
}

inline bool copyFlaggingLowBytes(char* to, const CompactText& value) {
    return value.heldInside() ? copyShortFlaggingLowBytes(to, value)
                              : copyLongFlaggingLowBytes(to, value.data(), value.size());
}

// A value of one line: a CR or LF in it would end the line early, so neither is written.
char* putOneLine(char* at, std::string_view text) {
    if (!holdsLineBreak(text)) return at + text.size();
    for (char c : text)
        if (c != '\r' && c != '\n') *at++ = c;
    return at;
}

// A comment keeps its lone LF line breaks; only a CR before an LF could end its line.
char* putCommentLines(char* at, std::string_view text) {
    if (std::memchr(text.data(), '\r', text.size()) == nullptr) return at + text.size();
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') *at++ = text[i];
    return at;
}

inline char* putLineValue(char* at, const CompactText& value) {
    return copyFlaggingLowBytes(at, value) ? putOneLine(at, value) : at + value.size();
}

inline char* putComment(char* at, const CompactText& value) {
    return copyFlaggingLowBytes(at, value) ? putCommentLines(at, value) : at + value.size();
}

// The decimal digits of value (below 100,000,000) as eight bytes, zeros in front, the first
// the most significant: two halves of four digits, split into pairs, then into single digits,
// each step a multiply over the whole word.
inline std::uint64_t eightDigits(std::uint32_t value) {
    std::uint64_t halves = (value / 10000) | (std::uint64_t{value % 10000} << 32);
    std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007Full;  // each half / 100
    std::uint64_t pairs = ((halves - 100 * hundreds) << 16) + hundreds;
    std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Full;  // each pair / 10
    return (tens + ((pairs - 10 * tens) << 8)) | 0x3030303030303030ull;
}

// Digits in value (at least 1): its bits give the count or one less. Found apart from the
// digits themselves, so that where the next line goes need not wait for them.
inline int decimalLength(std::uint32_t value) {
    static constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                                     100000, 1000000, 10000000, 100000000, 1000000000};
    int bits = 32 - __builtin_clz(value | 1);
    int lower = (bits * 1233) >> 12;  // 1233 / 4096 is just under log10(2)
    return lower + (value >= kPowersOfTen[lower]);
}

inline char* putNumber(char* at, std::uint32_t value) {
    // Most are one digit: a window's edges, the browser, the mark.
    if (value < 10) {
        *at = static_cast<char>('0' + value);
        return at + 1;
    }
    const int length = decimalLength(value);
    if (length > 8) {
        std::uint32_t high = value / 100000000;
        if (length == 10) at[0] = static_cast<char>('0' + high / 10);
        at[length - 9] = static_cast<char>('0' + high % 10);
        storeWord(at + length - 8, eightDigits(value % 100000000));
        return at + length;
    }
    // The leading zeros are the word's lowest bytes: shifted out, they leave the digits.
    storeWord(at, eightDigits(value) >> (8 * (8 - length)));
    return at + length;
}

inline char* putNumber(char* at, std::int32_t value) {
    if (value >= 0) return putNumber(at, static_cast<std::uint32_t>(value));
    *at = '-';
    return putNumber(at + 1, 0u - static_cast<std::uint32_t>(value));
}

// Upper-case hexadecimal without leading zeros: the nibbles spread one to a byte, the first
// the most significant, then each made a digit or a letter.
inline char* putHexUpper(char* at, std::uint32_t value) {
    std::uint64_t nibbles = value;
    nibbles = (nibbles | nibbles << 16) & 0x0000FFFF0000FFFFull;
    nibbles = (nibbles | nibbles << 8) & 0x00FF00FF00FF00FFull;
    nibbles = (nibbles | nibbles << 4) & 0x0F0F0F0F0F0F0F0Full;
    nibbles = __builtin_bswap64(nibbles);
    std::uint64_t letters = ((nibbles + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
    std::uint64_t digits = nibbles + 0x3030303030303030ull + 7 * letters;
    int zeros = value == 0 ? 7 : __builtin_clz(value) / 4;
    storeWord(at, digits >> (8 * zeros));
    return at + 8 - zeros;
}

// A key or line end known when compiling: copied without a call.
template <std::size_t N>
char* putLiteral(char* at, const char (&bytes)[N]) {
    std::memcpy(at, bytes, N - 1);
    return at + N - 1;
}

// The fixed part of a record at its longest: keys, line ends and numbers of the most digits.
constexpr std::size_t kRecordFrame = 264;

// The six numbers that end a record are nearly always small (a window rectangle is rare, the
// browser and the mark run to 3): then their lines are one text with a digit set in each.
bool ofOneDigit(const BookmarkItem& r) {
    auto bits = [](std::int32_t edge) { return static_cast<std::uint32_t>(edge); };
    std::uint32_t edges = bits(r.windowRight) | bits(r.windowLeft) | bits(r.windowTop) | bits(r.windowBottom);
    return (edges | r.browser | r.mark) < 8;
}

constexpr char kOneDigitTail[] = "\r\nRcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=0\r\n\r\n";

// Where the tail's nth digit stands.
constexpr std::size_t tailDigitPlace(int n) {
    std::size_t i = 0;
    while (kOneDigitTail[i] != '0' || n-- > 0) ++i;
    return i;
}

char* putOneDigitTail(char* at, const BookmarkItem& r) {
    static constexpr std::size_t kPlaces[] = {tailDigitPlace(0), tailDigitPlace(1), tailDigitPlace(2),
                                              tailDigitPlace(3), tailDigitPlace(4), tailDigitPlace(5)};
    std::memcpy(at, kOneDigitTail, sizeof kOneDigitTail - 1);
    at[kPlaces[0]] = static_cast<char>('0' + r.windowRight);
    at[kPlaces[1]] = static_cast<char>('0' + r.windowLeft);
    at[kPlaces[2]] = static_cast<char>('0' + r.windowTop);
    at[kPlaces[3]] = static_cast<char>('0' + r.windowBottom);
    at[kPlaces[4]] = static_cast<char>('0' + r.browser);
    at[kPlaces[5]] = static_cast<char>('0' + r.mark);
    return at + sizeof kOneDigitTail - 1;
}

// A number's text, made once for the records that share it (siblings name one parent). There
// is room past the text to copy it as its 16 bytes.
struct NumberText {
    char text[16] = {'0'};
    std::size_t length = 1;
    void set(ItemNumber number) { length = static_cast<std::size_t>(putNumber(text, number) - text); }
};

inline char* putNumberText(char* at, const NumberText& number) {
    std::memcpy(at, number.text, sizeof number.text);
    return at + number.length;
}

// Counts the text of a number one up, in place: false if the text would grow a digit.
template <char kHighestDigit>
bool countUp(NumberText& number) {
    std::size_t i = number.length;
    for (; i > 0 && number.text[i - 1] == kHighestDigit; --i) number.text[i - 1] = '0';
    if (i == 0) return false;
    char& digit = number.text[i - 1];
    digit = digit == '9' ? 'A' : static_cast<char>(digit + 1);
    return true;
}

// A written number as its two lines give it, in decimal and in hexadecimal, kept from one record
// to the next: the next number is most often one more (the serial counts up while kind and
// depth stay), and then both texts count up in place rather than being made again.
class WrittenNumberTexts {
public:
    void set(ItemNumber number) {
        const bool oneMore = held_ && asBits(number) == asBits(number_) + 1 && number_ >= 0 && number > 0;
        number_ = number;
        held_ = true;
        if (oneMore && countUp<'9'>(decimal_) && countUp<'F'>(hex_)) return;
        decimal_.set(number);
        hex_.length = static_cast<std::size_t>(putHexUpper(hex_.text, asBits(number)) - hex_.text);
    }
    const NumberText& decimal() const { return decimal_; }
    const NumberText& hex() const { return hex_; }

private:
    ItemNumber number_ = 0;
    bool held_ = false;
    NumberText decimal_, hex_;
};

char* appendRecord(char* at, const BookmarkItem& record, const WrittenNumberTexts& writtenNumber,
                   const NumberText& parentNumber) {
    at = putLiteral(at, "[List]\r\nItemNum=");
    at = putNumberText(at, writtenNumber.decimal());
    at = putLiteral(at, "\r\nTestNum=");
    at = putNumberText(at, writtenNumber.hex());
    at = putLiteral(at, "\r\nParentNum=");
    at = putNumberText(at, parentNumber);
    at = putLiteral(at, "\r\nTitleName=");
    at = putLineValue(at, record.title);
    at = putLiteral(at, "\r\nLocator=");
    at = putLineValue(at, record.locator);
    at = putLiteral(at, "\r\nComment=");
    at = putComment(at, record.comment);
    at = putLiteral(at, "\r\nLastModified=");
    at = putLineValue(at, record.lastModified);
    at = putLiteral(at, "\r\nLastVisit=");
    at = putLineValue(at, record.lastVisit);
    at = putLiteral(at, "\r\nAddDate=");
    at = putLineValue(at, record.addDate);
    if (ofOneDigit(record)) return putOneDigitTail(at, record);
    at = putLiteral(at, "\r\nRcRight=");
    at = putNumber(at, record.windowRight);
    at = putLiteral(at, "\r\nRcLeft=");
    at = putNumber(at, record.windowLeft);
    at = putLiteral(at, "\r\nRcTop=");
    at = putNumber(at, record.windowTop);
    at = putLiteral(at, "\r\nRcBottom=");
    at = putNumber(at, record.windowBottom);
    at = putLiteral(at, "\r\nBrowser=");
    at = putNumber(at, record.browser);
    at = putLiteral(at, "\r\nMark=");
    at = putNumber(at, record.mark);
    return putLiteral(at, "\r\n\r\n");
}

// Depth relative to the start item, kept inside the 12 bits so it cannot spill into the kind.
unsigned relativeDepth(unsigned depth, unsigned startDepth) {
    int relative = static_cast<int>(depth) - static_cast<int>(startDepth) + 1;
    return static_cast<unsigned>(std::clamp(relative, 0, static_cast<int>(kMaxDepth)));
}

// A node's record found by its number, or, for a node without one, a stand-in that still
// goes out under the node's own number and text rather than vanishing from the file.
const BookmarkItem& recordByNumber(const Document& document, NodeId id, BookmarkItem& standIn) {
    if (const BookmarkItem* record = nodeRecord(document, id)) return *record;
    const TreeNode& node = document.tree.node(id);
    standIn.itemNumber = node.itemNumber;
    standIn.title = node.text;
    return standIn;
}

// The record a live node writes: nearly always the one it names, taken at once.
inline const BookmarkItem& writtenRecord(const Document& document, NodeId id, BookmarkItem& standIn) {
    const std::size_t record = document.tree.node(id).record;
    if (record < document.items.size()) return document.items.at(record);
    return recordByNumber(document, id, standIn);
}

// Bytes of a record's 17 lines, at most (numbers are counted at their widest).
inline std::size_t recordSize(const BookmarkItem& r) {
    return kRecordFrame + r.title.size() + r.locator.size() + r.comment.size() + r.lastModified.size() +
           r.lastVisit.size() + r.addDate.size();
}

std::size_t recordSize(const Document& document, NodeId id) {
    BookmarkItem standIn;
    return recordSize(writtenRecord(document, id, standIn));
}

// Where the records go, one at a time: room(bound) gives room for at most `bound` bytes, then
// filled(end) says where they ended. Two kinds of space, each written by its own instance of
// the writer so that the calls, made for every record, cost nothing.

// One text sized beforehand, so that a large document goes out without regrowing or copying.
class WholeTextSpace {
public:
    explicit WholeTextSpace(std::string& text) : text_(text), at_(text.data()) {}
    char* room(std::size_t) { return at_; }
    void filled(char* end) { at_ = end; }
    void finish() { text_.resize(static_cast<std::size_t>(at_ - text_.data())); }

private:
    std::string& text_;
    char* at_;
};

// At most this many pieces are made and not yet through the sink: one in the sink, one made
// and waiting, one being made. With one waiting, the sink goes on to it as soon as it is done
// with the last, rather than waiting for the writer's thread to be woken and hand it over.
constexpr std::size_t kPiecesAtOnce = 3;

// Gives pieces to a sink on a thread of its own, so that the file system takes one piece
// while the writer makes the next. The sink still gets them one at a time and in order.
class PieceHandOff {
public:
    explicit PieceHandOff(const DataFileSink& sink) : sink_(sink) {}
    ~PieceHandOff() { finish(); }

    // Queues piece for the sink, and returns once fewer than kPiecesAtOnce pieces wait or are
    // in the sink, so that the oldest piece's buffer may be filled again; a piece's bytes must
    // stay until then. False once the sink said stop.
    bool handOver(std::string_view piece) {
        if (!started_) start();
        if (!worker_.joinable()) return ok_ = ok_ && sink_(piece);  // no thread to be had
        std::unique_lock<std::mutex> lock(mutex_);
        queue_[handed_++ % kPiecesAtOnce] = piece;
        waiting_.notify_one();
        through_.wait(lock, [this] { return handed_ - done_ < kPiecesAtOnce; });
        return ok_;
    }
    bool started() const { return started_; }
    // Waits for the last piece; whether the sink took every one.
    bool finish() {
        if (worker_.joinable()) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                through_.wait(lock, [this] { return done_ == handed_; });
                closing_ = true;
            }
            waiting_.notify_one();
            worker_.join();
        }
        return ok_;
    }

private:
    void start() {
        started_ = true;
        try {
            worker_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // The pieces go to the sink from this thread instead.
        }
    }
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            waiting_.wait(lock, [this] { return done_ < handed_ || closing_; });
            if (done_ == handed_) return;
            std::string_view piece = queue_[done_ % kPiecesAtOnce];
            const bool stillTaking = ok_;
            lock.unlock();
            bool taken = false;
            try {
                taken = stillTaking && sink_(piece);
            } catch (...) {
                // A sink that throws took nothing: the write fails rather than the program.
            }
            lock.lock();
            ok_ = ok_ && taken;
            ++done_;
            through_.notify_one();
        }
    }

    const DataFileSink& sink_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable waiting_;  // for a piece, or the end
    std::condition_variable through_;  // for the sink to be done with a piece
    std::string_view queue_[kPiecesAtOnce];  // piece i at i % kPiecesAtOnce
    std::size_t handed_ = 0;
    std::size_t done_ = 0;
    bool closing_ = false;
    bool ok_ = true;
    bool started_ = false;
};

// Buffers that take turns: one is filled while the sink takes the others, so the whole text
// never has to be held. A text of one piece goes to the sink from this thread.
class PieceSpace {
public:
    explicit PieceSpace(const DataFileSink& sink) : sink_(sink), handOff_(sink) {
        buffers_[0].makeRoom(kDataFilePieceSize);
    }
    char* room(std::size_t bound) {
        if (used_ + bound > current().size) {
            passOn();
            current().makeRoom(bound);
        }
        return current().bytes.get() + used_;
    }
    void filled(char* end) { used_ = static_cast<std::size_t>(end - current().bytes.get()); }
    bool finish() {
        if (!handOff_.started()) {
            bool ok = used_ == 0 || sink_(std::string_view(current().bytes.get(), used_));
            used_ = 0;
            return ok;
        }
        passOn();
        return handOff_.finish();
    }

private:
    // Written before it is read, so not cleared when made; nothing in it is kept on growing.
    struct Buffer {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0;
        void makeRoom(std::size_t wanted) {
            if (size >= wanted) return;
            bytes.reset(new char[wanted]);
            size = wanted;
        }
    };
    Buffer& current() { return buffers_[turn_]; }
    // The buffers go in turn, and the sink takes pieces in order: once handOver returns, the
    // next buffer's piece is through.
    void passOn() {
        if (used_ > 0) {
            handOff_.handOver(std::string_view(current().bytes.get(), used_));
            turn_ = (turn_ + 1) % kPiecesAtOnce;
        }
        used_ = 0;
        current().makeRoom(kDataFilePieceSize);
    }

    const DataFileSink& sink_;
    Buffer buffers_[kPiecesAtOnce];
    PieceHandOff handOff_;  // after the buffers, so that it is done with them before they go
    std::size_t turn_ = 0;
    std::size_t used_ = 0;
};

template <typename Space>
class SubtreeWriter {
public:
    SubtreeWriter(const Document& document, std::uint16_t base, Space& space)
        : document_(document), base_(base), space_(space) {}

    void write(NodeId start, unsigned startDepth) {
        const BookmarkTree& tree = document_.tree;
        BookmarkItem standIn;
        tree.walkSubtree(start, [&](NodeId id) {
            const TreeNode& node = tree.node(id);
            const BookmarkItem& record = writtenRecord(document_, id, standIn);
            ++k_;
            written_.set(makeItemNumber(kindOf(record.itemNumber),
                                        relativeDepth(depthOf(record.itemNumber), startDepth),
                                        (base_ + k_) & 0xFFFFu));
            if (node.parent != parent_) {
                parent_ = node.parent;
                parentNumber_.set(parent_ == kTopLevel ? 0 : tree.node(parent_).itemNumber);
            }
            space_.filled(appendRecord(space_.room(recordSize(record)), record, written_, parentNumber_));
        });
    }

private:
    const Document& document_;
    const std::uint16_t base_;
    Space& space_;
    unsigned k_ = 0;
    WrittenNumberTexts written_;
    NodeId parent_ = kTopLevel;  // whose number parentNumber_ holds
    NumberText parentNumber_;    // the top level's 0 at first
};

// The nodes whose subtrees are written: the one given, or every top-level item.
std::vector<NodeId> startNodes(const Document& document, NodeId start) {
    std::vector<NodeId> starts;
    if (start != kTopLevel) return {start};
    for (NodeId top = document.tree.firstTopLevel(); top != kNoNode; top = document.tree.nextSibling(top))
        starts.push_back(top);
    return starts;
}

std::string_view headerFor(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? std::string_view(utf8Header()) : std::string_view(kDataFileHeader);
}

template <typename Space>
void writeRecords(const Document& document, const std::vector<NodeId>& starts, std::uint16_t base, Space& space) {
    SubtreeWriter<Space> writer(document, base, space);
    for (NodeId top : starts) writer.write(top, depthOf(document.tree.node(top).itemNumber));
}

// ---- reading ----

constexpr std::uint64_t kEightZeros = 0x3030303030303030ull;  // "00000000"

bool isEightDigits(std::uint64_t word) {
    constexpr std::uint64_t kHighHalves = 0xF0F0F0F0F0F0F0F0ull;
    // Each byte 0x30 to 0x3F, and still so with 6 added: 0x30 to 0x39.
    return (word & kHighHalves) == kEightZeros && ((word + 0x0606060606060606ull) & kHighHalves) == kEightZeros;
}

// The number eight digits spell, the first the most significant: pairs of digits, then pairs
// of pairs, then the two halves, each step a multiply and an add over the whole word.
std::uint64_t valueOfEightDigits(std::uint64_t word) {
    word -= kEightZeros;
    word = (word * 10 + (word >> 8)) & 0x00FF00FF00FF00FFull;
    word = (word * 100 + (word >> 16)) & 0x0000FFFF0000FFFFull;
    return (word * 10000 + (word >> 32)) & 0xFFFFFFFFull;
}

// Five to sixteen digits read as two words of eight led by zeros: the first part and the last
// part, where the bytes the first word covers count as zeros in the second. A number of up to
// eight digits makes each word from four bytes of the text. False for any other text.
bool readDigits(std::string_view text, std::int64_t& value) {
    const std::size_t size = text.size();
    std::uint64_t first, last;
    std::size_t lastDigits;
    if (size > 8 && size <= 16) {
        first = wordAt<std::uint64_t>(text.data());
        last = wordAt<std::uint64_t>(text.data() + size - 8);
        lastDigits = size - 8;
    } else if (size > 4 && size <= 8) {
        constexpr std::uint64_t kFourZeros = 0x30303030ull;
        first = kFourZeros | std::uint64_t{wordAt<std::uint32_t>(text.data())} << 32;
        last = kFourZeros | std::uint64_t{wordAt<std::uint32_t>(text.data() + size - 4)} << 32;
        lastDigits = size - 4;
    } else {
        return false;
    }
    std::uint64_t shared = (std::uint64_t{1} << (8 * (8 - lastDigits))) - 1;
    last = (last & ~shared) | (kEightZeros & shared);
    if (!isEightDigits(first) || !isEightDigits(last)) return false;
    static constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    value = static_cast<std::int64_t>(valueOfEightDigits(first) * kPowersOfTen[lastDigits] + valueOfEightDigits(last));
    return true;
}

// Decimal as the file has it: blanks, an optional sign, digits up to the first non-digit.
// Values beyond 32 bits are held at the limit.
std::int64_t decimalSpelledIn(std::string_view text) {
    constexpr std::int64_t kLimit = 0xFFFFFFFFLL;
    std::int64_t value = 0;
    if (readDigits(text, value)) return std::min(value, kLimit);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    return negative ? -value : value;
}

// Most values are one digit (the window's edges, the browser, the mark): read without a call.
inline std::int64_t decimalIn(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return text[0] - '0';
    return decimalSpelledIn(text);
}

// Signed fields: an unsigned spelling of the same 32 bits (item numbers of kind 8 and up)
// reads as those bits; anything further out is held at the nearest limit.
std::int32_t signedValue(std::string_view text) {
    std::int64_t value = std::max<std::int64_t>(decimalIn(text), INT32_MIN);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::uint32_t unsignedValue(std::string_view text) {
    return static_cast<std::uint32_t>(std::max<std::int64_t>(decimalIn(text), INT32_MIN));
}

// How the text ends its lines. The program writes CR LF, and then a comment's bare line
// feeds are part of the comment; a file kept in another system may have LF or CR instead.
enum class LineEnds { CrLf, Lf, Cr };

// Judged by the end of the header's first line.
LineEnds lineEndsOf(std::string_view text) {
    std::size_t at = text.find_first_of("\r\n", kDataFileSignatureLength);
    if (at == std::string_view::npos || text.compare(at, 2, kCrLf) == 0) return LineEnds::CrLf;
    return text[at] == '\n' ? LineEnds::Lf : LineEnds::Cr;
}

struct Line {
    std::size_t start;       // first byte of the line
    std::size_t contentEnd;  // just after its last byte, before the line end
    std::size_t next;        // start of the next line (the text's size after the last line)
};

class LineReader {
public:
    LineReader(std::string_view text, LineEnds ends) : text_(text), ends_(ends) {}

    Line lineAt(std::size_t start) const {
        const char* data = text_.data();
        std::size_t size = text_.size();
        switch (ends_) {
        case LineEnds::CrLf:
            for (std::size_t at = start; at < size;) {
                const void* cr = std::memchr(data + at, '\r', size - at);
                if (!cr) break;
                at = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
                if (at + 1 < size && data[at + 1] == '\n') return {start, at, at + 2};
                ++at;
            }
            return {start, size, size};
        case LineEnds::Lf: {
            const void* lf = std::memchr(data + start, '\n', size - start);
            if (!lf) return {start, size, size};
            std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
            std::size_t contentEnd = at > start && data[at - 1] == '\r' ? at - 1 : at;
            return {start, contentEnd, at + 1};
        }
        case LineEnds::Cr: {
            const void* cr = std::memchr(data + start, '\r', size - start);
            if (!cr) return {start, size, size};
            std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
            return {start, at, at + 1 < size && data[at + 1] == '\n' ? at + 2 : at + 1};
        }
        }
        return {start, size, size};
    }

    std::string_view content(const Line& line) const {
        return text_.substr(line.start, line.contentEnd - line.start);
    }
    std::size_t size() const { return text_.size(); }
    std::string_view text() const { return text_; }
    LineEnds ends() const { return ends_; }

private:
    std::string_view text_;
    LineEnds ends_;
};

// The keys of a record, in the order the writer puts them.
enum Key : int {
    kItemNum, kTestNum, kParentNum, kTitleName, kLocator, kComment, kLastModified, kLastVisit,
    kAddDate, kRcRight, kRcLeft, kRcTop, kRcBottom, kBrowser, kMark, kKeyCount
};

constexpr std::string_view kKeyTexts[kKeyCount] = {
    "ItemNum=", "TestNum=", "ParentNum=", "TitleName=", "Locator=", "Comment=", "LastModified=",
    "LastVisit=", "AddDate=", "RcRight=", "RcLeft=", "RcTop=", "RcBottom=", "Browser=", "Mark="};

constexpr bool keysBetween(std::size_t shortest, std::size_t longest) {
    for (std::string_view key : kKeyTexts)
        if (key.size() < shortest || key.size() > longest) return false;
    return true;
}

bool startsWithKey(std::string_view line, int key) {
    std::string_view k = kKeyTexts[key];
    return line.size() >= k.size() && std::memcmp(line.data(), k.data(), k.size()) == 0;
}

// The key a line starts with, or kKeyCount. The key after the previous line's is tried
// first: a file the program wrote has them in that order.
int keyOfLine(std::string_view line, int expected) {
    if (line.empty()) return kKeyCount;
    if (expected < kKeyCount && startsWithKey(line, expected)) return expected;
    for (int key = 0; key < kKeyCount; ++key) {
        std::string_view k = kKeyTexts[key];
        if (line[0] == k[0] && line.compare(0, k.size(), k) == 0) return key;
    }
    return kKeyCount;
}

// One "[List]" block: the values of its keys. A key counts only at the start of a line,
// so that a title or comment holding a key text cannot stand in for the real key; the first
// such line of each key wins. Without CR LF line ends a comment's line breaks look like line
// ends, so there a line that starts with no key carries on the value before it.
class Block {
public:
    std::optional<std::string_view> value(int key) const {
        if (!found_[key]) return std::nullopt;
        return values_[key];
    }
    std::string_view valueOrEmpty(int key) const { return found_[key] ? values_[key] : std::string_view(); }

    // A block as the writer makes it: each key's value put in turn, then all of them found.
    // (Putting a value alone changes nothing that value() gives.)
    void put(int key, std::string_view value) { values_[key] = value; }
    void foundAll() {
        for (bool& f : found_) f = true;
    }

    void clear() {
        for (bool& f : found_) f = false;
        continuing_ = kKeyCount;
        expected_ = kItemNum;
    }

    void takeLine(const LineReader& lines, const Line& line) {
        std::string_view content = lines.content(line);
        int key = keyOfLine(content, expected_);
        if (key == kKeyCount) {
            if (continuing_ != kKeyCount && !content.empty()) {
                std::string_view& v = values_[continuing_];
                v = lines.text().substr(static_cast<std::size_t>(v.data() - lines.text().data()),
                                        line.contentEnd - static_cast<std::size_t>(v.data() - lines.text().data()));
            }
            return;
        }
        continuing_ = kKeyCount;
        expected_ = key + 1;
        if (found_[key]) return;
        found_[key] = true;
        values_[key] = content.substr(kKeyTexts[key].size());
        if (lines.ends() != LineEnds::CrLf) continuing_ = key;
    }

private:
    std::string_view values_[kKeyCount];
    bool found_[kKeyCount] = {};
    int continuing_ = kKeyCount;
    int expected_ = kItemNum;
};

// Gives the CRs of a text one after another from the places of CR in a 64-byte window, so
// that each of a record's lines costs a bit taken off a word rather than a loop over its bytes.
class CrSequence {
public:
    explicit CrSequence(std::string_view text) : end_(text.data() + text.size()) {}

    // The next CRs given are those from at on.
    void startAt(const char* at) {
        window_ = at;
        crs_ = fits(at) ? placesOfByte(at, '\r') : 0;
    }
    // The next CR, with a byte after it; null where the window would pass the text's end.
    const char* next() {
        while (crs_ == 0) {
            if (!fits(window_ + kWindow)) return nullptr;
            window_ += kWindow;
            crs_ = placesOfByte(window_, '\r');
        }
        const char* cr = window_ + __builtin_ctzll(crs_);
        crs_ &= crs_ - 1;
        return cr;
    }

private:
    static constexpr std::ptrdiff_t kWindow = 64;
    bool fits(const char* window) const { return end_ - window > kWindow; }

    const char* end_;
    const char* window_ = nullptr;
    std::uint64_t crs_ = 0;
};

// Walks the blocks of a data file text. A block starts only at a line that is exactly
// "[List]"; nothing before the first one is read.
class BlockScanner {
public:
    explicit BlockScanner(std::string_view text) : BlockScanner(text, lineEndsOf(text)) {}
    // A part of a text, with the line ends the whole text has.
    BlockScanner(std::string_view text, LineEnds ends) : lines_(text, ends) {
        for (position_ = 0; position_ < lines_.size();) {
            Line line = lines_.lineAt(position_);
            position_ = line.next;
            if (lines_.content(line) == kRecordStart) return;
        }
        position_ = lines_.size() + 1;  // no block at all
    }

    // Fills block with the next block's values; false after the last one.
    bool next(Block& block) {
        if (position_ > lines_.size()) return false;
        if (lines_.ends() == LineEnds::CrLf && nextAsWritten(block)) return true;
        block.clear();
        while (position_ < lines_.size()) {
            Line line = lines_.lineAt(position_);
            position_ = line.next;
            if (lines_.content(line) == kRecordStart) return true;
            block.takeLine(lines_, line);
        }
        position_ = lines_.size() + 1;
        return true;
    }

private:
    // The block the writer makes, read in one pass: its fifteen keys in order, one CR LF line
    // each, then an empty line and the next "[List]" or the end. Reads exactly what the
    // line-by-line way would; any other block is left to it, from its start.
    bool nextAsWritten(Block& block) {
        const std::string_view text = lines_.text();
        const char* const end = text.data() + text.size();
        const char* at = text.data() + position_;
        // Local, so that the block's values written below cannot be taken to change it.
        CrSequence lineEnds(text);
        lineEnds.startAt(at);
        for (int key = 0; key < kKeyCount; ++key) {
            std::string_view k = kKeyTexts[key];
            if (static_cast<std::size_t>(end - at) < k.size() || !startsWith(at, k)) return false;
            at += k.size();
            // Keys hold no CR, so the next one ends this line unless a value holds a lone CR.
            const char* lineEnd = lineEnds.next();
            if (!lineEnd || lineEnd[1] != '\n') return false;
            block.put(key, std::string_view(at, static_cast<std::size_t>(lineEnd - at)));
            at = lineEnd + 2;
        }
        constexpr std::string_view kBlockEnd = "\r\n[List]\r\n";
        std::size_t rest = static_cast<std::size_t>(end - at);
        if (rest >= kBlockEnd.size() && std::memcmp(at, kBlockEnd.data(), kBlockEnd.size()) == 0)
            position_ = static_cast<std::size_t>(at + kBlockEnd.size() - text.data());
        else if (rest == 0 || (rest == 2 && at[0] == '\r' && at[1] == '\n'))
            position_ = text.size() + 1;
        else
            return false;
        block.foundAll();
        return true;
    }

    // Whether the bytes at `at` (as many as the key has) are the key: its first and last
    // words compared, overlapping where it is shorter than two, without a call.
    template <typename Word>
    static bool sameEnds(const char* at, std::string_view key) {
        std::size_t last = key.size() - sizeof(Word);
        return wordAt<Word>(at) == wordAt<Word>(key.data()) &&
               wordAt<Word>(at + last) == wordAt<Word>(key.data() + last);
    }
    static bool startsWith(const char* at, std::string_view key) {
        static_assert(keysBetween(4, 16), "two words of four or eight bytes cover every key");
        return key.size() >= 8 ? sameEnds<std::uint64_t>(at, key) : sameEnds<std::uint32_t>(at, key);
    }

    LineReader lines_;
    std::size_t position_;
};

// How a reader turns a file's values into the document's texts, and what it met on the way.
struct ValueReading {
    TextEncoding file = TextEncoding::ShiftJis;
    TextEncoding into = TextEncoding::ShiftJis;
    TextPool* pool = nullptr;  // a load's: where the records' long texts go
    // Set when the part of a UTF-8 text being read is well-formed as a whole: a value starts
    // after a key's "=" and ends at a line end, neither ever inside a character, so each
    // value is then well-formed too and needs no check of its own.
    bool partWellFormed = false;
    std::size_t fieldsCut = 0;
    LostCharacters lost;  // of the record being read
};

// A value in the document's encoding, not yet cut: damaged UTF-8 reads as U+FFFD.
std::string documentText(std::string_view value, ValueReading& reading, Unrepresentable unrepresentable) {
    if (reading.file == TextEncoding::ShiftJis) return convertText(value, reading.file, reading.into);
    std::string text = wellFormedUtf8(value);
    if (reading.into == TextEncoding::Utf8) return text;
    // Each value starts outside a run: a title that ends in lost characters must not take
    // the mark of a comment that starts with some.
    reading.lost.inRun = false;
    return convertText(text, TextEncoding::Utf8, TextEncoding::ShiftJis, unrepresentable, &reading.lost);
}

void noteCut(ValueReading& reading, std::size_t size) {
    if (size > textFieldMax(reading.into)) ++reading.fieldsCut;
}

// Whether the document keeps the file's own bytes of a value: nearly always, and then
// nothing is converted or copied.
inline bool keptAsInFile(std::string_view value, const ValueReading& reading) {
    if (reading.file != reading.into) return false;
    if (reading.file == TextEncoding::ShiftJis) return true;
    return reading.partWellFormed || isWellFormedUtf8(value);
}

// The value as the document keeps it, before any cut: the file's own bytes (keptAsInFile),
// else the converted text in storage.
inline std::string_view documentView(std::string_view value, ValueReading& reading, Unrepresentable unrepresentable,
                                     std::string& storage) {
    if (keptAsInFile(value, reading)) return value;
    storage = documentText(value, reading, unrepresentable);
    return storage;
}

// A record's text as its field keeps it; in a load, a long one is kept in the document's pool.
void putText(CompactText& field, std::string_view text, const ValueReading& reading) {
    if (reading.pool && text.size() > CompactText::kInside) field.assignInPool(reading.pool->keep(text));
    else field = text;
}

void readTexts(BookmarkItem& record, const Block& block, std::string_view title, ValueReading& reading) {
    const TextEncoding into = reading.into;
    std::string storage, fitted;
    std::string_view text = documentView(title, reading, Unrepresentable::Mark, storage);
    noteCut(reading, text.size());
    putText(record.title, titleField(text, into, fitted), reading);
    text = documentView(block.valueOrEmpty(kLocator), reading, Unrepresentable::PercentEncode, storage);
    noteCut(reading, text.size());
    putText(record.locator, addressField(text, into, fitted), reading);
    text = documentView(block.valueOrEmpty(kComment), reading, Unrepresentable::Mark, storage);
    noteCut(reading, text.size());
    putText(record.comment, commentField(text, into, fitted), reading);
}

void readDate(CompactText& field, std::string_view value, ValueReading& reading) {
    // A date as the program writes it needs no fitting.
    if (value.size() <= kDateFieldMax && keptAsInFile(value, reading)) {
        field = value;
        return;
    }
    std::string storage, fitted;
    field = dateField(documentView(value, reading, Unrepresentable::Drop, storage), reading.into, fitted);
}

// A block describes a record when it has "ItemNum=" and "TitleName=".
bool describesRecord(const Block& block) { return block.value(kItemNum) && block.value(kTitleName); }

ItemNumber numberIn(const Block& block) { return signedValue(block.valueOrEmpty(kItemNum)); }

// Fills a fresh record with what a block that describes one holds, and its number as the
// file has it (numberIn).
void readRecord(BookmarkItem& record, ItemNumber number, const Block& block, ValueReading& reading) {
    reading.lost = LostCharacters{};
    record.itemNumber = number;
    record.parentNumber = static_cast<std::uint32_t>(signedValue(block.valueOrEmpty(kParentNum)));
    readTexts(record, block, block.valueOrEmpty(kTitleName), reading);
    readDate(record.lastModified, block.valueOrEmpty(kLastModified), reading);
    readDate(record.lastVisit, block.valueOrEmpty(kLastVisit), reading);
    readDate(record.addDate, block.valueOrEmpty(kAddDate), reading);
    record.windowRight = signedValue(block.valueOrEmpty(kRcRight));
    record.windowLeft = signedValue(block.valueOrEmpty(kRcLeft));
    record.windowTop = signedValue(block.valueOrEmpty(kRcTop));
    record.windowBottom = signedValue(block.valueOrEmpty(kRcBottom));
    record.browser = unsignedValue(block.valueOrEmpty(kBrowser));
    record.mark = unsignedValue(block.valueOrEmpty(kMark));
}

// Finds each record's parent from the depths alone: one level deeper than the previous
// record is its child, the same depth its sibling, shallower climbs as far as the depth fell.
class Nesting {
public:
    Nesting(NodeId topEntry, int startDepth)
        : topEntry_(topEntry), previousDepth_(startDepth), pending_(topEntry) {}

    NodeId parentFor(int depth) {
        stack_.push(pending_);
        stack_.pop(previousDepth_ - depth + 1);
        previousDepth_ = depth;
        // A depth of 0, or one that climbs past everything open, has no parent of its own:
        // such a record stays at the top entry.
        return stack_.top().value_or(topEntry_);
    }
    void inserted(NodeId node) { pending_ = node; }
    ~Nesting() { stack_.clear(); }

private:
    ParentStack<NodeId> stack_;
    NodeId topEntry_;
    int previousDepth_;
    NodeId pending_;
};

// The file's root record fills the document's head: the head is what every lookup of the
// root finds, so a renamed root would otherwise come back with its old fields.
void fillHeadFrom(BookmarkItem& head, BookmarkItem&& record) {
    ItemNumber number = head.itemNumber;
    head = std::move(record);
    head.itemNumber = number;
}

ImagePair loadedImages(const BookmarkItem& record, ShellIconSource& icons) {
    unsigned kind = kindOf(record.itemNumber);
    // A web link never opened since it was recorded shows as unvisited.
    if (kind == kKindWebLink && record.lastVisit.empty())
        return {kImageUnvisited, kImageUnvisited + 1};
    return imagesForRecord(kind, record.locator, icons);
}

void noteInserted(DataFileReadResult& result, NodeId node) {
    if (result.inserted == 0) result.firstInserted = node;
    ++result.inserted;
}

// Gives loaded records their nodes, in file order. The file's first root record fills the
// document's head; every other record is one of the document's records.
class RecordPlacing {
public:
    RecordPlacing(Document& document, ShellIconSource& icons, DataFileReadResult& result)
        : document_(document), icons_(icons), result_(result) {}

    // Where the record numbered `number` is to be read, before placeSlot gives it its node.
    // Any record but the head's is read where the document keeps it, rather than moved there.
    BookmarkItem& slotFor(ItemNumber number) {
        fillsHead_ = number == kRootItemNumber && !headFilled_;
        slot_ = fillsHead_ ? &headRecord_ : &document_.items.appendEmpty();
        return *slot_;
    }
    void placeSlot() {
        BookmarkItem& record = *slot_;
        ItemNumber number = record.itemNumber;
        NodeId parent = nesting_.parentFor(static_cast<int>(depthOf(number)));
        ImagePair images = loadedImages(record, icons_);
        NodeId node;
        if (fillsHead_) {
            headFilled_ = true;
            node = document_.tree.insertLastChild(parent, number, record.title, images.normal, images.selected,
                                                  record.mark != 0, 0);
            fillHeadFrom(document_.items.head(), std::move(record));
        } else {
            node = insertNodeOfLastRecord(document_, parent, images.normal, images.selected);
        }
        nesting_.inserted(node);
        noteInserted(result_, node);
    }

private:
    Document& document_;
    ShellIconSource& icons_;
    DataFileReadResult& result_;
    Nesting nesting_{kTopLevel, 0};
    BookmarkItem headRecord_;
    BookmarkItem* slot_ = nullptr;
    bool fillsHead_ = false;
    bool headFilled_ = false;
};

DataFileReadResult rejectedRead() {
    DataFileReadResult result;
    result.rejected = true;
    return result;
}

// How the text is read for target, or nothing when target does not take it.
std::optional<ValueReading> readingFor(std::string_view text, DataFileTarget target) {
    std::optional<TextEncoding> encoding = dataFileEncoding(text);
    if (!encoding || (!target && *encoding != TextEncoding::ShiftJis)) return std::nullopt;
    ValueReading reading;
    reading.file = *encoding;
    reading.into = target.value_or(TextEncoding::ShiftJis);
    return reading;
}

// What reading a record lost and cut, noted in result.
void noteReading(const BookmarkItem& record, const ValueReading& reading, DataFileReadResult& result) {
    if (reading.lost.runs > 0 && result.markedItems++ == 0) result.firstMarkedTitle = record.title;
    result.fieldsCut = reading.fieldsCut;
}

// Checks a UTF-8 part in one go, which costs less than checking its values one by one; where
// it is damaged anywhere, each value is checked alone, so that only the damaged ones change.
void checkPart(std::string_view part, ValueReading& reading) {
    reading.partWellFormed =
        reading.file == TextEncoding::Utf8 && reading.into == TextEncoding::Utf8 && isWellFormedUtf8(part);
}

// Records read apart from the document, from a piece of a large text, with what reading them
// met. They join the document in the order of the pieces.
struct RecordsReadApart {
    RecordChunks records;
    DataFileReadResult noted;   // their marked items and cut fields
    bool anyBlock = false;
};

// Reads with reading's pool as where the long texts go.
RecordsReadApart readApart(std::string_view piece, ValueReading reading) {
    RecordsReadApart apart;
    reading.fieldsCut = 0;  // the piece's own, added to the others' as it joins
    checkPart(piece, reading);
    BlockScanner blocks(piece, LineEnds::CrLf);
    Block block;
    while (blocks.next(block)) {
        apart.anyBlock = true;
        if (!describesRecord(block)) continue;
        BookmarkItem& record = apart.records.emplace_back();
        readRecord(record, numberIn(block), block, reading);
        noteReading(record, reading, apart.noted);
    }
    return apart;
}

// How a large text written with CR LF is cut for two readers, each cut at the start of a
// "[List]" line, which starts a block wherever it stands. The first part is the caller's, who
// also places every record; the rest, in pieces of about a megabyte, go to a second reader,
// so that each piece's records can be placed while the next is read. One part, the whole
// text, where the text is small or has other line ends.
std::vector<std::string_view> partsForTwoReaders(std::string_view body) {
    constexpr std::size_t kPiece = 1 << 20;
    if (body.size() < kPiece || lineEndsOf(body) != LineEnds::CrLf) return {body};
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t wanted = body.size() / 3; wanted < body.size(); wanted += kPiece) {
        std::size_t at = body.find("\r\n[List]\r\n", std::max(wanted, start));
        if (at == std::string_view::npos) break;
        std::size_t cut = at + kCrLf.size();
        parts.push_back(body.substr(start, cut - start));
        start = cut;
    }
    parts.push_back(body.substr(start));
    return parts;
}

// Reads pieces on a thread of its own, each claimed in turn and handed over as soon as it is
// read. The caller may claim the next piece nobody has claimed and read it itself rather than
// wait, so that a thread the system runs slowly holds nothing up. The long texts of the
// thread's pieces go to one pool, which `keeper` takes over once the thread is done, however
// the load ends: the records handed over point into it.
class ReaderAside {
public:
    ReaderAside(std::vector<std::string_view> pieces, const ValueReading& reading, TextPool& keeper)
        : pieces_(std::move(pieces)), reading_(reading), read_(pieces_.size()), keeper_(keeper) {
        reading_.pool = &texts_;
        if (pieces_.empty()) return;
        for (std::promise<RecordsReadApart>& piece : read_) handedOver_.push_back(piece.get_future());
        try {
            worker_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            handedOver_.clear();  // no thread to be had
        }
    }
    ~ReaderAside() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
        // Should this fail for want of memory, the program ends here rather than leave records
        // pointing at freed texts.
        keeper_.adopt(std::move(texts_));
    }
    // Whether the thread reads the pieces; if not, there are none to take.
    bool reads() const { return worker_.joinable(); }
    std::size_t pieces() const { return handedOver_.size(); }
    std::string_view piece(std::size_t i) const { return pieces_[i]; }

    // The first piece nobody has claimed, now the caller's to read; none once all are.
    std::optional<std::size_t> claim() {
        std::size_t i = next_.fetch_add(1);
        return i < pieces_.size() ? std::optional<std::size_t>(i) : std::nullopt;
    }
    // Whether the thread has read piece i, which it claimed.
    bool hasRead(std::size_t i) const {
        return handedOver_[i].wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    // The records of piece i, which the thread claimed, waiting until it has read them.
    RecordsReadApart take(std::size_t i) { return handedOver_[i].get(); }

private:
    void run() {
        for (std::size_t i; !stop_ && (i = next_.fetch_add(1)) < pieces_.size();) {
            try {
                read_[i].set_value(readApart(pieces_[i], reading_));
            } catch (...) {
                read_[i].set_exception(std::current_exception());
                return;
            }
        }
    }

    std::vector<std::string_view> pieces_;
    TextPool texts_;
    ValueReading reading_;
    std::vector<std::promise<RecordsReadApart>> read_;
    TextPool& keeper_;
    std::vector<std::future<RecordsReadApart>> handedOver_;
    std::atomic<std::size_t> next_{0};  // the first piece nobody has claimed
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// The records read apart join the document after those placed already, as if read in turn.
void placeReadApart(RecordsReadApart&& apart, Document& document, RecordPlacing& placing,
                    DataFileReadResult& result) {
    document.items.takeOver(apart.records, [&](BookmarkItem& record) {
        placing.slotFor(record.itemNumber) = std::move(record);
        placing.placeSlot();
    });
    if (result.markedItems == 0) result.firstMarkedTitle = std::move(apart.noted.firstMarkedTitle);
    result.markedItems += apart.noted.markedItems;
    result.fieldsCut += apart.noted.fieldsCut;
}

}  // namespace

DataFileContent examineDataFile(std::string_view text, DataFileTarget target) {
    std::optional<ValueReading> reading = readingFor(text, target);
    if (!reading) return DataFileContent::NotDataFile;
    BlockScanner blocks(bodyOf(text, reading->file));
    Block block;
    bool anyBlock = false;
    while (blocks.next(block)) {
        if (describesRecord(block)) return DataFileContent::Readable;
        anyBlock = true;
    }
    // A header without blocks is a document with nothing in it yet.
    return anyBlock ? DataFileContent::NoRecord : DataFileContent::Readable;
}

std::string writeDataFile(const Document& document, NodeId start, std::uint16_t base, TextEncoding encoding) {
    if (start == kNoNode || !document.tree.isAlive(start)) return {};
    std::vector<NodeId> starts = startNodes(document, start);
    std::string_view header = headerFor(encoding);
    std::size_t size = header.size();
    for (NodeId top : starts) document.tree.walkSubtree(top, [&](NodeId id) { size += recordSize(document, id); });
    std::string out(size, '\0');
    std::memcpy(out.data(), header.data(), header.size());
    WholeTextSpace space(out);
    space.filled(out.data() + header.size());
    writeRecords(document, starts, base, space);
    space.finish();
    return out;
}

bool writeDataFilePieces(const Document& document, NodeId start, std::uint16_t base, TextEncoding encoding,
                         const DataFileSink& sink) {
    if (start == kNoNode || !document.tree.isAlive(start)) return true;
    PieceSpace space(sink);
    std::string_view header = headerFor(encoding);
    char* at = space.room(header.size());
    std::memcpy(at, header.data(), header.size());
    space.filled(at + header.size());
    writeRecords(document, startNodes(document, start), base, space);
    return space.finish();
}

DataFileReadResult loadDataFile(std::string_view text, Document& document, ShellIconSource& icons,
                                DataFileTarget into) {
    std::optional<ValueReading> reading = readingFor(text, into);
    if (!reading) return rejectedRead();
    reading->pool = &document.loadedTexts;
    DataFileReadResult result;
    result.encoding = reading->file;
    std::uint16_t counterOnEntry = document.serials.value;
    const std::string_view body = bodyOf(text, reading->file);
    std::vector<std::string_view> parts = partsForTwoReaders(body);
    ReaderAside aside(std::vector<std::string_view>(parts.begin() + 1, parts.end()), *reading, document.loadedTexts);
    const std::string_view ownPart = aside.reads() ? parts.front() : body;
    checkPart(ownPart, *reading);
    RecordPlacing placing(document, icons, result);
    BlockScanner blocks(ownPart);
    Block block;
    bool anyBlock = false;
    while (blocks.next(block)) {
        anyBlock = true;
        if (!describesRecord(block)) continue;
        // Numbers stay as the file has them, repeated or not: each node has its own record.
        ItemNumber number = numberIn(block);
        BookmarkItem& record = placing.slotFor(number);
        readRecord(record, number, block, *reading);
        noteReading(record, *reading, result);
        placing.placeSlot();
    }
    // The pieces join in order. Rather than wait for the thread to read the next one, this
    // thread reads the first piece nobody has claimed yet, if any.
    std::vector<std::optional<RecordsReadApart>> readHere(aside.pieces());
    for (std::size_t i = 0; i < aside.pieces(); ++i) {
        while (!readHere[i] && !aside.hasRead(i)) {
            std::optional<std::size_t> claimed = aside.claim();
            if (!claimed) break;
            readHere[*claimed] = readApart(aside.piece(*claimed), *reading);
        }
        RecordsReadApart apart = readHere[i] ? std::move(*readHere[i]) : aside.take(i);
        readHere[i].reset();
        anyBlock = anyBlock || apart.anyBlock;
        placeReadApart(std::move(apart), document, placing, result);
    }
    result.nextCounter = static_cast<std::uint16_t>(counterOnEntry + result.inserted);
    result.noRecord = anyBlock && result.inserted == 0;
    return result;
}

DataFileReadResult importDataFile(std::string_view text, Document& document, NodeId target,
                                  ShellIconSource& icons, DataFileTarget into) {
    std::optional<ValueReading> reading = readingFor(text, into);
    if (!reading) return rejectedRead();
    DataFileReadResult result;
    result.encoding = reading->file;
    result.nextCounter = document.serials.value;
    if (!document.tree.isAlive(target)) return result;
    int targetDepth = static_cast<int>(depthOf(document.tree.node(target).itemNumber));
    Nesting nesting(target, targetDepth);
    BlockScanner blocks(bodyOf(text, reading->file));
    Block block;
    bool anyBlock = false;
    while (blocks.next(block)) {
        anyBlock = true;
        if (!describesRecord(block)) continue;
        BookmarkItem record;
        readRecord(record, numberIn(block), block, *reading);
        noteReading(record, *reading, result);
        unsigned kind = kindOf(record.itemNumber);
        // Nesting follows the file even where the stored depth has to stop at the limit.
        int depth = static_cast<int>(depthOf(record.itemNumber)) + targetDepth;
        NodeId parent = nesting.parentFor(depth);
        // Everything lands below the target, so nothing may claim the target's own depth
        // (a record of depth 0 would, and would come back as its sibling after a save).
        int storedDepth = std::min(std::max(depth, targetDepth + 1), static_cast<int>(kMaxDepth));
        record.itemNumber = allocateItemNumber(document, kind, static_cast<unsigned>(storedDepth));
        ImagePair images = imagesForRecord(kind, record.locator, icons);
        NodeId node = insertRecordNode(document, parent, std::move(record), images.normal, images.selected);
        nesting.inserted(node);
        noteInserted(result, node);
    }
    result.nextCounter = document.serials.value;
    result.noRecord = anyBlock && result.inserted == 0;
    return result;
}

}  // namespace perchlet
