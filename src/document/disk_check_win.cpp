#include "document/disk_check_win.h"

#include <optional>
#include <string_view>
#include <vector>

#include "shell/dialogs_win.h"
#include "shell/text_win.h"

namespace perchlet {

namespace {

constexpr const char kChangedCaption[] = "データファイルが変更されました";

std::optional<std::uint64_t> hashOfFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::uint64_t hash = kHashOfNothing;
    std::vector<char> buffer(1 << 16);
    DWORD done = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &done, nullptr) != 0) && done > 0)
        hash = hashOfBytes(std::string_view(buffer.data(), done), hash);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return hash;
}

// Compares the disk with what was loaded or saved; diskHash gets the bytes' hash when it
// had to be read.
DiskChange compareDataFile(DocumentContext& context, std::optional<std::uint64_t>& diskHash) {
    return compareWithDisk(context.workspace.document.diskStamp, diskStampOf(context.path), [&] {
        diskHash = hashOfFile(context.path);
        return diskHash;
    });
}

// Everything the check before Save looks at; the bytes are read every time.
DiskFileNow diskFileNow(const std::wstring& path) {
    DiskFileNow now;
    now.stamp = diskStampOf(path);
    if (!now.stamp.exists) return now;
    now.hash = hashOfFile(path);
    now.readOnly = (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
    return now;
}

bool canCheck(const DocumentContext& context) {
    const Document& document = context.workspace.document;
    return !context.disk.asking && document.loaded && !context.path.empty() && document.diskStamp.known &&
           !document.history.recording();
}

// One question at a time: activations while it is up are not checks of their own.
class CheckScope {
public:
    explicit CheckScope(DiskWatch& disk) : disk_(disk) { disk_.asking = true; }
    ~CheckScope() { disk_.asking = false; }
    CheckScope(const CheckScope&) = delete;
    CheckScope& operator=(const CheckScope&) = delete;

private:
    DiskWatch& disk_;
};

std::string fileNameOf(const DocumentContext& context) {
    return "「" + context.workspace.document.fileName + "」";
}

void sayMissing(DocumentContext& context) {
    showMessage(context.workspace.mainWindow,
                "データファイル" + fileNameOf(context) +
                    "が見つかりません。削除されたか、名前が変えられたようです。\r\n"
                    "上書き保存すると、元の場所にもう一度書き込みます。",
                "データファイルがありません", MB_OK | MB_ICONWARNING);
    // Until it is written again, the document is all there is of it.
    context.workspace.document.modified = true;
}

bool askToLoadOtherVersion(DocumentContext& context) {
    return showMessage(context.workspace.mainWindow,
                       "データファイル" + fileNameOf(context) +
                           "が他のプログラムで変更されました。\r\n変更された内容を読み込みますか？",
                       kChangedCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

enum class Resolution { KeepThis, LoadOther, SaveElsewhere, Undecided };

// The file could not be read (another program holds it locked): it may have been changed.
bool askToWriteUnread(DocumentContext& context) {
    return showMessage(context.workspace.mainWindow,
                       "データファイル" + fileNameOf(context) +
                           "を読み取れないため、他のプログラムで変更されたかどうか確かめられません。\r\n"
                           "ここでの内容で上書き保存しますか？",
                       "データファイルを確かめられません", MB_YESNO | MB_ICONWARNING) == IDYES;
}

Resolution askWhichVersion(DocumentContext& context) {
    std::string unsaved = context.workspace.document.modified ? "ここには保存していない変更があります。" : "";
    int answer = showMessage(
        context.workspace.mainWindow,
        "データファイル" + fileNameOf(context) + "が他のプログラムで変更されました。" + unsaved + "\r\n\r\n"
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

void checkDataFileOnDisk(DocumentContext& context) {
    // A modal dialog is up (a file dialog, the update check): the next activation checks.
    if (!canCheck(context) || !IsWindowEnabled(context.workspace.mainWindow)) return;
    CheckScope scope(context.disk);
    std::optional<std::uint64_t> diskHash;
    switch (compareDataFile(context, diskHash)) {
    case DiskChange::Same:
        return;
    case DiskChange::Missing:
        sayMissing(context);
        return;
    case DiskChange::Changed:
        break;
    }
    // A version the user chose not to load is not asked about again; Save still asks.
    if (diskHash && context.disk.declinedHash == diskHash) return;
    Resolution resolution = Resolution::Undecided;
    if (!context.workspace.document.modified)
        resolution = askToLoadOtherVersion(context) ? Resolution::LoadOther : Resolution::Undecided;
    else
        resolution = askWhichVersion(context);
    bool settled = false;
    switch (resolution) {
    case Resolution::KeepThis: settled = writeDocumentToItsFile(context); break;
    case Resolution::LoadOther: settled = reloadDataFile(context); break;
    case Resolution::SaveElsewhere: saveDocumentAs(context); break;
    case Resolution::Undecided: break;
    }
    if (!settled) context.disk.declinedHash = diskHash;
}

BeforeSave checkBeforeSave(DocumentContext& context) {
    if (!canCheck(context)) return BeforeSave::Write;
    CheckScope scope(context.disk);
    Document& document = context.workspace.document;
    DiskFileNow now = diskFileNow(context.path);
    switch (decideBeforeSave(document.diskStamp, now).version) {
    case DiskVersion::Ours:
        return BeforeSave::Write;
    case DiskVersion::Unreadable:
        return askToWriteUnread(context) ? BeforeSave::Write : BeforeSave::Stop;
    case DiskVersion::Changed:
        break;
    }
    switch (askWhichVersion(context)) {
    case Resolution::KeepThis: return BeforeSave::Write;
    case Resolution::LoadOther: reloadDataFile(context); return BeforeSave::HandledOtherwise;
    case Resolution::SaveElsewhere: saveDocumentAs(context); return BeforeSave::HandledOtherwise;
    case Resolution::Undecided: break;
    }
    return BeforeSave::Stop;
}

bool mayWriteOver(DocumentContext& context, const std::wstring& path) {
    DiskFileNow now;
    now.stamp = diskStampOf(path);
    now.readOnly = (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
    if (!decideBeforeSave(FileStamp{}, now).readOnly) return true;
    std::string name = "「" + narrow(path.substr(path.find_last_of(L"\\/") + 1)) + "」";
    return showMessage(context.workspace.mainWindow,
                       "ファイル" + name + "は読み取り専用です。\r\n"
                       "読み取り専用の属性はそのままにして、上書き保存しますか？",
                       "読み取り専用のファイル", MB_YESNO | MB_ICONWARNING) == IDYES;
}

}  // namespace perchlet
