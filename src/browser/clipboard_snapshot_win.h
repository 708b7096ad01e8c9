// A copy of everything on the clipboard, to put back after the program has used it for a
// moment: text in every form, pictures (bitmaps, DIBs, metafiles, palettes) and the
// registered formats of other programs.
#pragma once
#include <memory>
#include <vector>
#include <windows.h>

namespace perchlet {

enum class SnapshotResult {
    Taken,
    ClipboardBusy,      // another program holds the clipboard open
    OwnerNotAnswering,  // the clipboard's owner does not answer, so its formats cannot be copied
};

class ClipboardSnapshot {
public:
    ClipboardSnapshot() = default;
    ~ClipboardSnapshot();
    ClipboardSnapshot(const ClipboardSnapshot&) = delete;
    ClipboardSnapshot& operator=(const ClipboardSnapshot&) = delete;

    // Copies every format the clipboard offers. A format its owner renders only when asked
    // waits for that owner, so the copy is given up when the owner does not answer within
    // a few seconds; the clipboard is then to be left as it is.
    SnapshotResult take();
    // Empties the clipboard and puts the copies back, in their order; false when the
    // clipboard cannot be opened. The copies pass to the clipboard.
    bool restore(HWND owner);

    std::size_t formatCount() const { return entries_.size(); }

    struct Entry {
        UINT format;
        HANDLE handle;  // owned until restored
    };

private:
    std::vector<Entry> entries_;

    void release();
};

// Opens the clipboard, trying again for a while when another program holds it.
bool openClipboardPatiently(HWND owner);

}  // namespace perchlet
