#include "store/file_io_win.h"

#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

std::wstring folderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

bool writeAll(HANDLE file, std::string_view text) {
    std::size_t written = 0;
    while (written < text.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1 << 20));
        DWORD done = 0;
        if (!WriteFile(file, text.data() + written, chunk, &done, nullptr) || done == 0) return false;
        written += done;
    }
    return true;
}

bool replaceThroughTemporary(const std::wstring& target, const TextPieces& pieces) {
    wchar_t temporary[MAX_PATH] = L"";
    if (!GetTempFileNameW(folderOf(target).c_str(), L"pch", 0, temporary)) return false;
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(temporary);
        return false;
    }
    bool complete = pieces([file](std::string_view piece) { return writeAll(file, piece); }) &&
                    FlushFileBuffers(file) != FALSE;
    CloseHandle(file);
    if (complete && MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary);
    return false;
}

}  // namespace

bool writeWholeText(const std::wstring& target, const std::string& text) {
    return writeWholeText(target, [&text](const TextSink& sink) { return sink(text); });
}

bool writeWholeText(const std::wstring& target, const TextPieces& pieces) {
    if (target.empty()) return false;
    if (target.size() >= MAX_PATH || !replaceThroughTemporary(target, pieces)) {
        showMessage(nullptr, "ファイルに書き込めませんでした。\r\n" + narrow(target), "書き込み", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool writeWholeText(const std::string& path, const std::string& text) { return writeWholeText(widen(path), text); }

std::optional<std::string> readWholeFile(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    // Read only, and only what is there: a missing file is not made by looking for it.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t read = 0;
        while (ok && read < text.size()) {
            DWORD done = 0;
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - read, 1 << 20));
            ok = ReadFile(file, text.data() + read, chunk, &done, nullptr) && done > 0;
            read += done;
        }
    }
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<std::string> readWholeFile(const std::string& path) { return readWholeFile(widen(path)); }

std::optional<std::string> readWholeFileOfferingUtf8(const std::wstring& path, HWND owner) {
    std::optional<std::string> text = readWholeFile(path);
    if (!text) return text;
    Utf8Evidence evidence = utf8EvidenceOf(*text);
    if (evidence == Utf8Evidence::None) return text;
    if (evidence == Utf8Evidence::Ambiguous &&
        showMessage(owner, "このファイルは UTF-8 かもしれません。UTF-8 として読み込みますか？\r\n"
                           "「いいえ」では Shift-JIS として読み込みます。",
                    "ファイルの読み込み", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return text;
    return utf8ToShiftJis(*text, Unrepresentable::CharacterReference);
}

}  // namespace perchlet
