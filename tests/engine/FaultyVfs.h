#pragma once

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>

// A VFS over the default one, installed as the default while it lives, that
// injects faults: writes fail as on a full disk, or files open read-only.
class FaultyVfs {
public:
    FaultyVfs() {
        s_real = sqlite3_vfs_find(nullptr);
        s_vfs = *s_real;
        s_vfs.zName = "tarvex-faulty";
        s_vfs.szOsFile = static_cast<int>(sizeof(File)) + s_real->szOsFile;
        s_vfs.xOpen = Open;
        sqlite3_vfs_register(&s_vfs, 1);
        s_failWrites = false;
        s_readOnly = false;
    }
    ~FaultyVfs() {
        sqlite3_vfs_unregister(&s_vfs);
        sqlite3_vfs_register(s_real, 1);
    }
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    static void FailWrites(bool on) { s_failWrites = on; }
    static void OpenReadOnly(bool on) { s_readOnly = on; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };

    static sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

    static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
        auto* wrapper = reinterpret_cast<File*>(file);
        wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
        if (s_readOnly && (flags & SQLITE_OPEN_MAIN_DB))
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        int rc = s_real->xOpen(s_real, name, wrapper->real, flags, outFlags);
        if (wrapper->real->pMethods == nullptr) {
            wrapper->base.pMethods = nullptr;
            return rc;
        }
        s_methods = *wrapper->real->pMethods;
        s_methods.xClose = Close;
        s_methods.xRead = Read;
        s_methods.xWrite = Write;
        s_methods.xTruncate = Truncate;
        s_methods.xSync = Sync;
        s_methods.xFileSize = FileSize;
        s_methods.xLock = Lock;
        s_methods.xUnlock = Unlock;
        s_methods.xCheckReservedLock = CheckReservedLock;
        s_methods.xFileControl = FileControl;
        s_methods.xSectorSize = SectorSize;
        s_methods.xDeviceCharacteristics = DeviceCharacteristics;
        s_methods.xShmMap = ShmMap;
        s_methods.xShmLock = ShmLock;
        s_methods.xShmBarrier = ShmBarrier;
        s_methods.xShmUnmap = ShmUnmap;
        s_methods.xFetch = Fetch;
        s_methods.xUnfetch = Unfetch;
        wrapper->base.pMethods = &s_methods;
        return rc;
    }
    static int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
    static int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
        return Real(f)->pMethods->xRead(Real(f), b, n, o);
    }
    static int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
        if (s_failWrites) return SQLITE_FULL;
        return Real(f)->pMethods->xWrite(Real(f), b, n, o);
    }
    static int Truncate(sqlite3_file* f, sqlite3_int64 size) {
        return Real(f)->pMethods->xTruncate(Real(f), size);
    }
    static int Sync(sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); }
    static int FileSize(sqlite3_file* f, sqlite3_int64* size) {
        return Real(f)->pMethods->xFileSize(Real(f), size);
    }
    static int Lock(sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); }
    static int Unlock(sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); }
    static int CheckReservedLock(sqlite3_file* f, int* out) {
        return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
    }
    static int FileControl(sqlite3_file* f, int op, void* arg) {
        return Real(f)->pMethods->xFileControl(Real(f), op, arg);
    }
    static int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
    static int DeviceCharacteristics(sqlite3_file* f) {
        return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
    }
    static int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
        return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
    }
    static int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
        return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
    }
    static void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
    static int ShmUnmap(sqlite3_file* f, int deleteFlag) {
        return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
    }
    static int Fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
        return Real(f)->pMethods->xFetch(Real(f), o, n, out);
    }
    static int Unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) {
        return Real(f)->pMethods->xUnfetch(Real(f), o, p);
    }

    static inline sqlite3_vfs* s_real = nullptr;
    static inline sqlite3_vfs s_vfs{};
    static inline sqlite3_io_methods s_methods{};
    static inline bool s_failWrites = false;
    static inline bool s_readOnly = false;
};
