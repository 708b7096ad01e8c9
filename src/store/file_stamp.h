// What the program knows of its data file on disk, to notice when another program changed it:
// the size and last-write time, which are cheap to ask for, and a hash of the bytes, read only
// when those two differ.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace perchlet {

struct FileStamp {
    bool known = false;   // loaded or saved: there is something to compare with
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;  // as the file system counts it
    std::uint64_t hash = 0;
};

// A polynomial hash of 64 bits, h = h * P + byte for each byte: enough to tell one version of a
// file from another (a change of one byte always shows). A file read in pieces is hashed by
// handing each piece the hash of those before it.
constexpr std::uint64_t kHashOfNothing = 0xcbf29ce484222325ull;
std::uint64_t hashOfBytes(std::string_view bytes, std::uint64_t hashBefore = kHashOfNothing);

enum class DiskChange { Same, Changed, Missing };

// Compares the disk's size and time now with the known stamp. Only when they differ is
// hashNow asked for the hash of the bytes on disk (nothing: the file could not be read, so
// nothing is said this time). A file that differs only in its time is the same: the known
// stamp takes the new time. A file that went missing is reported once: the known stamp then
// says so, and a file that comes back is compared by its bytes again.
DiskChange compareWithDisk(FileStamp& known, const FileStamp& now,
                           const std::function<std::optional<std::uint64_t>()>& hashNow);

}  // namespace perchlet
