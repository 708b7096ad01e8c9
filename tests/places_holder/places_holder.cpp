// Stands in for a running Firefox in the window tests: holds a places.sqlite open with an
// exclusive lock, its newest bookmark only in the WAL, until told to let go.
//   places_holder DATABASE READY_EVENT QUIT_EVENT
// Sets READY_EVENT once the bookmark is written; closes the database when QUIT_EVENT is set.
#include <windows.h>

#include <sqlite3.h>

namespace {

bool run(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    sqlite3* db = nullptr;
    if (!ready || !quit || sqlite3_open16(argv[1], &db) != SQLITE_OK) return 1;
    // As Firefox keeps it: the WAL is never folded back while it runs.
    bool written = run(db, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;") &&
                   run(db, "INSERT INTO moz_places (id, url, guid) VALUES (100, 'https://wal.example/', 'plwal0000001');") &&
                   run(db, u8"INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, guid) "
                           u8"VALUES (1, 100, 3, 4, 'WAL だけにある', 1700000000000000, 1700000000000000, 'bmwal0000001');");
    if (!written) return 1;
    SetEvent(ready);
    WaitForSingleObject(quit, INFINITE);
    sqlite3_close(db);
    return 0;
}
