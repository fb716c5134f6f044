#include "tests/support/fault_vfs.h"

#include <sqlite3.h>
#include <QFileInfo>

#include <algorithm>

namespace qv::test {

namespace {

FaultVfs* gFaults = nullptr;
sqlite3_vfs* gReal = nullptr;
sqlite3_vfs gVfs;

// Our part of an open file; the real layer's file follows it in the same allocation.
struct File {
    sqlite3_file base;
    bool watched;
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(f) + 1);
}
const sqlite3_io_methods& io(sqlite3_file* f) {
    return *real(f)->pMethods;
}

int writeWithin(sqlite3_file* f, const void* buf, int amount, sqlite3_int64 offset) {
    if (reinterpret_cast<File*>(f)->watched && gFaults->spaceLeft != FaultVfs::kUnlimited) {
        sqlite3_int64 size = 0;
        if (const int rc = io(f).xFileSize(real(f), &size); rc != SQLITE_OK) {
            return rc;
        }
        const sqlite3_int64 growth = std::max<sqlite3_int64>(0, offset + amount - size);
        if (growth > gFaults->spaceLeft) {
            ++gFaults->fullWrites;
            return SQLITE_FULL;  // what the OS layer answers to ENOSPC
        }
        gFaults->spaceLeft -= growth;
    }
    return io(f).xWrite(real(f), buf, amount, offset);
}

// Version 1: no shared memory and no memory mapping, which a rollback journal never needs.
const sqlite3_io_methods kMethods = {
    1,
    [](sqlite3_file* f) { return io(f).xClose(real(f)); },
    [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return io(f).xRead(real(f), b, n, o); },
    writeWithin,
    [](sqlite3_file* f, sqlite3_int64 size) { return io(f).xTruncate(real(f), size); },
    [](sqlite3_file* f, int flags) { return io(f).xSync(real(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) { return io(f).xFileSize(real(f), size); },
    [](sqlite3_file* f, int level) { return io(f).xLock(real(f), level); },
    [](sqlite3_file* f, int level) { return io(f).xUnlock(real(f), level); },
    [](sqlite3_file* f, int* out) { return io(f).xCheckReservedLock(real(f), out); },
    [](sqlite3_file* f, int op, void* arg) { return io(f).xFileControl(real(f), op, arg); },
    [](sqlite3_file* f) { return io(f).xSectorSize(real(f)); },
    [](sqlite3_file* f) { return io(f).xDeviceCharacteristics(real(f)); },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

bool watched(const char* name) {
    // SQLite names files by their full path with links resolved.
    return name != nullptr && !gFaults->watchedFolder.isEmpty() &&
           QString::fromUtf8(name).startsWith(
               QFileInfo(gFaults->watchedFolder).canonicalFilePath() + u'/');
}

int openFile(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    File* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    file->watched = watched(name);
    if (file->watched) {
        const int journals = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL | SQLITE_OPEN_SUPER_JOURNAL;
        if (gFaults->readOnlyFolder && (flags & journals) && (flags & SQLITE_OPEN_CREATE)) {
            return SQLITE_READONLY_DIRECTORY;  // the journal cannot be made in the folder
        }
        if (gFaults->readOnlyFile && (flags & SQLITE_OPEN_MAIN_DB)) {
            // Opening for writing is refused, so SQLite opens the file for reading only.
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        }
    }
    const int rc = gReal->xOpen(gReal, name, real(f), flags, outFlags);
    if (rc == SQLITE_OK && real(f)->pMethods != nullptr) {
        file->base.pMethods = &kMethods;
    }
    return rc;
}

}  // namespace

FaultVfs::FaultVfs() : previous_(sqlite3_vfs_find(nullptr)) {
    gFaults = this;
    gReal = previous_;
    gVfs = *gReal;  // everything but opening files goes to the layer wrapped
    gVfs.iVersion = 1;
    gVfs.szOsFile = static_cast<int>(sizeof(File)) + gReal->szOsFile;
    gVfs.pNext = nullptr;
    gVfs.zName = "quorvane-faults";
    gVfs.pAppData = nullptr;
    gVfs.xOpen = openFile;
    sqlite3_vfs_register(&gVfs, 1);
}

FaultVfs::~FaultVfs() {
    sqlite3_vfs_unregister(&gVfs);
    sqlite3_vfs_register(previous_, 1);  // the layer it wrapped is the default again
    gFaults = nullptr;
}

}  // namespace qv::test
