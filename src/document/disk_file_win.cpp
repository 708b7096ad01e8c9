#include "document/disk_file_win.h"

#include <vector>
#include <windows.h>

namespace perchlet {

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

bool isReadOnlyFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

DiskFileNow diskFileNow(const std::wstring& path) {
    DiskFileNow now;
    now.stamp = diskStampOf(path);
    if (!now.stamp.exists) return now;
    now.hash = hashOfFile(path);
    now.readOnly = isReadOnlyFile(path);
    return now;
}

void rememberDataFile(Document& document, const std::wstring& path, std::uint64_t hash) {
    FileStamp stamp = diskStampOf(path);
    stamp.known = true;
    stamp.hash = hash;
    document.file.stamp = stamp;
}

}  // namespace perchlet
