#include "store/disk_check_win.h"

#include <optional>

#include "app/dialogs_win.h"
#include "store/document_commands_win.h"

namespace perchlet {

namespace {

constexpr const char kChangedCaption[] = "データファイルが変更されました";

std::optional<std::uint64_t> hashOfFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    DWORD done = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &done, nullptr) != 0) && done > 0) bytes.append(buffer, done);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return hashOfBytes(bytes);
}

// Compares the disk with what was loaded or saved; diskHash gets the bytes' hash when it
// had to be read.
DiskChange compareDataFile(App& app, std::optional<std::uint64_t>& diskHash) {
    return compareWithDisk(app.document.diskStamp, diskStampOf(app.documentPath), [&] {
        diskHash = hashOfFile(app.documentPath);
        return diskHash;
    });
}

bool canCheck(const App& app) {
    return !app.checkingDataFile && app.document.loaded && !app.documentPath.empty() &&
           app.document.diskStamp.known && !app.document.history.recording();
}

// One question at a time: activations while it is up are not checks of their own.
class CheckScope {
public:
    explicit CheckScope(App& app) : app_(app) { app_.checkingDataFile = true; }
    ~CheckScope() { app_.checkingDataFile = false; }
    CheckScope(const CheckScope&) = delete;
    CheckScope& operator=(const CheckScope&) = delete;

private:
    App& app_;
};

std::string fileNameOf(const App& app) { return "「" + app.document.fileName + "」"; }

void sayMissing(App& app) {
    showMessage(app.mainWindow,
                "データファイル" + fileNameOf(app) +
                    "が見つかりません。削除されたか、名前が変えられたようです。\r\n"
                    "上書き保存すると、元の場所にもう一度書き込みます。",
                "データファイルがありません", MB_OK | MB_ICONWARNING);
    // Until it is written again, the document is all there is of it.
    app.document.modified = true;
}

bool askToLoadOtherVersion(App& app) {
    return showMessage(app.mainWindow,
                       "データファイル" + fileNameOf(app) +
                           "が他のプログラムで変更されました。\r\n変更された内容を読み込みますか？",
                       kChangedCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

enum class Resolution { KeepThis, LoadOther, SaveElsewhere, Undecided };

Resolution askWhichVersion(App& app) {
    std::string unsaved = app.document.modified ? "ここには保存していない変更があります。" : "";
    int answer = showMessage(
        app.mainWindow,
        "データファイル" + fileNameOf(app) + "が他のプログラムで変更されました。" + unsaved + "\r\n\r\n"
            "はい：ここでの内容で上書き保存します（他のプログラムによる変更は失われます）。\r\n"
            "いいえ：変更されたファイルを読み込みます（ここでの変更は失われます）。\r\n"
            "キャンセル：ここでの内容を別の名前で保存します（ファイルはそのまま残ります）。",
        kChangedCaption, MB_YESNOCANCEL | MB_ICONWARNING);
    switch (answer) {
    case IDYES: return Resolution::KeepThis;
    case IDNO: return Resolution::LoadOther;
    case IDCANCEL: return Resolution::SaveElsewhere;
    }
    return Resolution::Undecided;
}

}  // namespace

FileStamp diskStampOf(const std::wstring& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void rememberDataFile(Document& document, const std::wstring& path, std::string_view bytes) {
    FileStamp stamp = diskStampOf(path);
    stamp.known = true;
    stamp.hash = hashOfBytes(bytes);
    document.diskStamp = stamp;
}

void checkDataFileOnDisk(App& app) {
    // A modal dialog is up (a file dialog, the update check): the next activation checks.
    if (!canCheck(app) || !IsWindowEnabled(app.mainWindow)) return;
    CheckScope scope(app);
    std::optional<std::uint64_t> diskHash;
    switch (compareDataFile(app, diskHash)) {
    case DiskChange::Same:
        return;
    case DiskChange::Missing:
        sayMissing(app);
        return;
    case DiskChange::Changed:
        break;
    }
    // A version the user chose not to load is not asked about again; Save still asks.
    if (diskHash && app.declinedDiskHash == diskHash) return;
    Resolution resolution = Resolution::Undecided;
    if (!app.document.modified) resolution = askToLoadOtherVersion(app) ? Resolution::LoadOther : Resolution::Undecided;
    else resolution = askWhichVersion(app);
    bool settled = false;
    switch (resolution) {
    case Resolution::KeepThis: settled = writeDocumentToItsFile(app); break;
    case Resolution::LoadOther: settled = reloadDataFile(app); break;
    case Resolution::SaveElsewhere: saveDocumentAs(app); break;
    case Resolution::Undecided: break;
    }
    if (!settled) app.declinedDiskHash = diskHash;
}

BeforeSave checkBeforeSave(App& app) {
    if (!canCheck(app)) return BeforeSave::Write;
    CheckScope scope(app);
    std::optional<std::uint64_t> diskHash;
    if (compareDataFile(app, diskHash) != DiskChange::Changed) return BeforeSave::Write;
    switch (askWhichVersion(app)) {
    case Resolution::KeepThis: return BeforeSave::Write;
    case Resolution::LoadOther: reloadDataFile(app); return BeforeSave::HandledOtherwise;
    case Resolution::SaveElsewhere: saveDocumentAs(app); return BeforeSave::HandledOtherwise;
    case Resolution::Undecided: break;
    }
    return BeforeSave::Stop;
}

}  // namespace perchlet
