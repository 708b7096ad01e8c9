#include "document/disk_check_win.h"

#include <optional>

#include "document/disk_file_win.h"
#include "document/disk_questions_win.h"

namespace perchlet {

namespace {

// Compares the disk with what was loaded or saved, reading the bytes only when size or time
// differ; diskHash gets the bytes' hash when they were read.
DiskChange compareDataFile(DocumentContext& context, std::optional<std::uint64_t>& diskHash) {
    OpenFile& file = context.workspace.document.file;
    return compareWithDisk(file.stamp, diskStampOf(file.path), [&] {
        diskHash = hashOfFile(file.path);
        return diskHash;
    });
}

Resolution askAboutOtherVersion(DocumentContext& context) {
    const Document& document = context.workspace.document;
    HWND owner = context.workspace.mainWindow;
    if (document.modified()) return askWhichVersion(owner, document.file.name, true);
    return askToLoadOtherVersion(owner, document.file.name) ? Resolution::LoadOther : Resolution::Undecided;
}

}  // namespace

void checkDataFileOnDisk(DocumentContext& context) {
    // A modal dialog is up (a file dialog, the update check): the next activation checks.
    if (!mayCheckDataFile(context) || !IsWindowEnabled(context.workspace.mainWindow)) return;
    QuestionScope scope(context.disk);
    std::optional<std::uint64_t> diskHash;
    switch (compareDataFile(context, diskHash)) {
    case DiskChange::Same:
        return;
    case DiskChange::Missing:
        sayDataFileMissing(context.workspace.mainWindow, context.workspace.document.file.name);
        // No undo step: until it is written again, the document is all there is of it.
        context.workspace.document.history.markChanged();
        return;
    case DiskChange::Changed:
        break;
    }
    // A version the user chose not to load is not asked about again; Save still asks.
    if (diskHash && context.disk.declinedHash == diskHash) return;
    bool settled = false;
    switch (askAboutOtherVersion(context)) {
    case Resolution::KeepThis: settled = writeDocumentToItsFile(context); break;
    case Resolution::LoadOther: settled = reloadDataFile(context); break;
    case Resolution::SaveElsewhere: saveDocumentAs(context); break;
    case Resolution::Undecided: break;
    }
    if (!settled) context.disk.declinedHash = diskHash;
}

}  // namespace perchlet
