#pragma once

#include <QString>
#include <cstdint>
#include <limits>

struct sqlite3_vfs;

namespace qv::test {

// Puts the file-system faults a store can meet under the embedded engine, deterministically
// and whoever runs the tests (permissions do not bind root): while an object lives, SQLite's
// default file layer is wrapped, and files under the watched folder answer as the operating
// system's layer answers when
// - the database file is read-only: it is opened for reading only (what SQLite does when
//   opening it for writing is refused), so every write fails as read-only;
// - the folder is read-only: no journal can be created in it, which SQLite reports as a
//   read-only directory;
// - the disk fills up: once `spaceLeft` bytes have been added to the files, a write that
//   would make a file longer fails as the disk being full.
// Connections opened while it lives use it and must be closed before it goes.
class FaultVfs {
public:
    FaultVfs();
    ~FaultVfs();
    FaultVfs(const FaultVfs&) = delete;
    FaultVfs& operator=(const FaultVfs&) = delete;

    static constexpr std::int64_t kUnlimited = std::numeric_limits<std::int64_t>::max();

    QString watchedFolder;  // native path; files elsewhere are left alone
    bool readOnlyFile = false;
    bool readOnlyFolder = false;
    std::int64_t spaceLeft = kUnlimited;
    int fullWrites = 0;  // writes refused for want of space

private:
    sqlite3_vfs* previous_;
};

}  // namespace qv::test
