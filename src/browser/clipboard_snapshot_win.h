// A copy of everything on the clipboard, to put back after the program has used it for a
// moment: text in every form, pictures (bitmaps, DIBs, metafiles, palettes) and the
// registered formats of other programs.
#pragma once
#include <memory>
#include <vector>
#include <windows.h>

namespace perchlet {

class ClipboardSnapshot {
public:
    ClipboardSnapshot() = default;
    ~ClipboardSnapshot();
    ClipboardSnapshot(const ClipboardSnapshot&) = delete;
    ClipboardSnapshot& operator=(const ClipboardSnapshot&) = delete;

    // Copies every format the clipboard offers; false when the clipboard cannot be opened.
    bool take(HWND owner);
    // Empties the clipboard and puts the copies back, in their order; false when the
    // clipboard cannot be opened. The copies pass to the clipboard.
    bool restore(HWND owner);

    std::size_t formatCount() const { return entries_.size(); }

private:
    struct Entry {
        UINT format;
        HANDLE handle;  // owned until restored
    };
    std::vector<Entry> entries_;

    void release();
};

// Opens the clipboard, trying again for a while when another program holds it.
bool openClipboardPatiently(HWND owner);

}  // namespace perchlet
