// The check before Save writes the document over a file: what is on disk now against what
// the document last loaded or saved there. Portable, so that every case is tested natively.
#pragma once
#include <cstdint>
#include <optional>

#include "store/file_stamp.h"

namespace perchlet {

// The file where Save is about to write, as the system shows it now.
struct DiskFileNow {
    FileStamp stamp;                    // exists, size and time; the hash is not used
    std::optional<std::uint64_t> hash;  // of the bytes now; nothing when they could not be read
    bool readOnly = false;
};

// Which version is on disk: the one last loaded or saved (or none the document knows of),
// another program's, or one that could not be read (locked), which may be either.
enum class DiskVersion { Ours, Changed, Unreadable };

// Write when version is Ours and the file is not read-only; otherwise ask first.
struct SaveDecision {
    DiskVersion version = DiskVersion::Ours;
    bool readOnly = false;  // writing must keep the attribute, and only when the user says so

    bool writesWithoutAsking() const { return version == DiskVersion::Ours && !readOnly; }
};

// The bytes are compared every time: an edit of the same length with its time set back
// is still another version. A file that is gone is written again where it was. A file the
// document has never read or written (a new name) has no version to lose.
SaveDecision decideBeforeSave(const FileStamp& known, const DiskFileNow& now);

}  // namespace perchlet
