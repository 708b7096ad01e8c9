#include "browser/clipboard_snapshot_win.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace perchlet {

namespace {

constexpr int kOpenAttempts = 50;
constexpr DWORD kOpenRetryMs = 20;
constexpr UINT kOwnerAnswerMs = 1000;
constexpr DWORD kSnapshotWaitMs = 3000;

HGLOBAL copyGlobal(HANDLE source) {
    SIZE_T size = GlobalSize(source);
    const void* from = GlobalLock(source);
    if (!from) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (copy) {
        void* to = GlobalLock(copy);
        std::memcpy(to, from, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(source);
    return copy;
}

HANDLE copyPalette(HANDLE source) {
    auto palette = static_cast<HPALETTE>(source);
    WORD count = 0;
    if (GetObjectW(palette, sizeof count, &count) != sizeof count || count == 0) return nullptr;
    std::vector<BYTE> bytes(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(bytes.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = count;
    GetPaletteEntries(palette, 0, count, logical->palPalEntry);
    return CreatePalette(logical);
}

HANDLE copyMetafilePicture(HANDLE source) {
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(source));
    if (!picture) return nullptr;
    METAFILEPICT copy = *picture;
    GlobalUnlock(source);
    copy.hMF = CopyMetaFileW(copy.hMF, nullptr);
    if (!copy.hMF) return nullptr;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, sizeof copy);
    if (!handle) {
        DeleteMetaFile(copy.hMF);
        return nullptr;
    }
    *static_cast<METAFILEPICT*>(GlobalLock(handle)) = copy;
    GlobalUnlock(handle);
    return handle;
}

// A copy that the program owns, of the kind of handle the format holds; nullptr for
// formats that only their owner can render or that hold private handles.
HANDLE copyOfFormat(UINT format, HANDLE source) {
    switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
        return CopyImage(source, IMAGE_BITMAP, 0, 0, 0);
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
        return CopyEnhMetaFileW(static_cast<HENHMETAFILE>(source), nullptr);
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
        return copyMetafilePicture(source);
    case CF_PALETTE:
        return copyPalette(source);
    case CF_OWNERDISPLAY:
        return nullptr;
    }
    if (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) return nullptr;
    if (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) return nullptr;
    return copyGlobal(source);
}

void freeHandle(UINT format, HANDLE handle) {
    switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
    case CF_PALETTE:
        DeleteObject(handle);
        return;
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(handle));
        return;
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
        if (auto* picture = static_cast<METAFILEPICT*>(GlobalLock(handle))) {
            DeleteMetaFile(picture->hMF);
            GlobalUnlock(handle);
        }
        GlobalFree(handle);
        return;
    }
    GlobalFree(handle);
}

void freeEntries(const std::vector<ClipboardSnapshot::Entry>& entries) {
    for (const ClipboardSnapshot::Entry& entry : entries) freeHandle(entry.format, entry.handle);
}

// An owner that answers nothing would hold GetClipboardData for ever on a format it renders
// only when asked.
bool clipboardOwnerAnswers() {
    HWND owner = GetClipboardOwner();
    DWORD_PTR result = 0;
    return !owner || SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kOwnerAnswerMs, &result) != 0;
}

// The copy made on a worker, so that an owner that answers the probe but not the request
// to render cannot hold the window. Whoever of the two gives up on the other frees it.
struct SnapshotJob {
    enum State { Running, Finished, Abandoned };
    std::atomic<int> state{Running};
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool opened = false;
    std::vector<ClipboardSnapshot::Entry> entries;

    ~SnapshotJob() { CloseHandle(done); }
};

void copyClipboard(SnapshotJob* job) {
    if (openClipboardPatiently(nullptr)) {
        job->opened = true;
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            HANDLE source = GetClipboardData(format);
            if (!source) continue;  // its owner could not render it
            if (HANDLE copy = copyOfFormat(format, source)) job->entries.push_back({format, copy});
        }
        CloseClipboard();
    }
    int running = SnapshotJob::Running;
    if (job->state.compare_exchange_strong(running, SnapshotJob::Finished)) {
        SetEvent(job->done);  // the window takes the job from here
        return;
    }
    freeEntries(job->entries);
    delete job;
}

// Messages sent to this thread are answered meanwhile: one of the program's own windows
// may be asked to render a format.
bool waitAnsweringSentMessages(HANDLE event, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        DWORD woken = MsgWaitForMultipleObjects(1, &event, FALSE, milliseconds - elapsed, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return true;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool openClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(kOpenRetryMs);
    }
    return false;
}

ClipboardSnapshot::~ClipboardSnapshot() { release(); }

void ClipboardSnapshot::release() {
    freeEntries(entries_);
    entries_.clear();
}

SnapshotResult ClipboardSnapshot::take() {
    release();
    if (!clipboardOwnerAnswers()) return SnapshotResult::OwnerNotAnswering;
    auto* job = new SnapshotJob;
    std::thread(copyClipboard, job).detach();
    if (!waitAnsweringSentMessages(job->done, kSnapshotWaitMs)) {
        int running = SnapshotJob::Running;
        // The worker stays with the owner until it answers or ends, then frees its copies.
        if (job->state.compare_exchange_strong(running, SnapshotJob::Abandoned)) return SnapshotResult::OwnerNotAnswering;
        WaitForSingleObject(job->done, INFINITE);  // it finished just now
    }
    bool opened = job->opened;
    entries_ = std::move(job->entries);
    delete job;
    return opened ? SnapshotResult::Taken : SnapshotResult::ClipboardBusy;
}

bool ClipboardSnapshot::restore(HWND owner) {
    if (!openClipboardPatiently(owner)) return false;
    EmptyClipboard();
    for (const Entry& entry : entries_) {
        if (!SetClipboardData(entry.format, entry.handle)) freeHandle(entry.format, entry.handle);
    }
    entries_.clear();
    CloseClipboard();
    return true;
}

}  // namespace perchlet
