#include "store/file_stamp.h"

namespace perchlet {

std::uint64_t hashOfBytes(std::string_view bytes, std::uint64_t hashBefore) {
    std::uint64_t hash = hashBefore;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

DiskChange compareWithDisk(FileStamp& known, const FileStamp& now,
                           const std::function<std::optional<std::uint64_t>()>& hashNow) {
    if (!known.known) return DiskChange::Same;
    if (!now.exists) {
        if (!known.exists) return DiskChange::Same;
        known.exists = false;
        return DiskChange::Missing;
    }
    if (known.exists && now.size == known.size && now.lastWrite == known.lastWrite) return DiskChange::Same;
    std::optional<std::uint64_t> hash = hashNow();
    if (!hash) return DiskChange::Same;
    if (*hash != known.hash || now.size != known.size) return DiskChange::Changed;
    known.exists = true;
    known.size = now.size;
    known.lastWrite = now.lastWrite;
    return DiskChange::Same;
}

}  // namespace perchlet
