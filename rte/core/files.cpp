// rte/core/files.cpp - the engine's file calls on POSIX: stat for existence, size and times,
// renameat2 for a rename that never replaces, and a byte split of paths at the last '/'.
#include "rte/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

// What a failed system call on a path means to the engine's callers.
enum class PathError { kNotFound, kAccess, kNoMemory, kBadPath, kOther };

PathError ClassifyErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return PathError::kNotFound;
    case EACCES:
    case EPERM:
        return PathError::kAccess;
    case ENOMEM:
        return PathError::kNoMemory;
    case ENAMETOOLONG:
    case ELOOP:
        return PathError::kBadPath;
    default:
        return PathError::kOther;
    }
}

// stat() of a path that must be a file (not a directory). 0, or the classified failure
// (a directory is reported as kNotFound).
int StatFile(const char *path, struct stat *st, PathError *error) {
    if (path == nullptr) {
        *error = PathError::kNotFound;
        return -1;
    }
    if (stat(path, st) != 0) {
        *error = ClassifyErrno(errno);
        return -1;
    }
    if (S_ISDIR(st->st_mode)) {
        *error = PathError::kNotFound;
        return -1;
    }
    return 0;
}

// Results shared by GetFileDate and RteGetFileTime.
int DateTimeError(PathError e) {
    switch (e) {
    case PathError::kNotFound: return -1;
    case PathError::kAccess: return -2;
    default: return -3;
    }
}

int LocalModificationTime(const char *path, struct tm *out) {
    struct stat st;
    PathError e;
    if (StatFile(path, &st, &e) != 0) return DateTimeError(e);
    time_t t = st.st_mtime;
    if (localtime_r(&t, out) == nullptr) return -3;
    return 0;
}

}  // namespace

extern "C" int GetFileInfo(const char *path, long *size) {
    struct stat st;
    PathError e;
    if (StatFile(path, &st, &e) != 0) return e == PathError::kNotFound ? 0 : -1;
    if (size != nullptr) *size = static_cast<long>(st.st_size);
    return 1;
}

extern "C" int RteGetFileSize(const char *path, long *size) {
    struct stat st;
    PathError e;
    if (StatFile(path, &st, &e) != 0) {
        switch (e) {
        case PathError::kNotFound: return -1;
        case PathError::kAccess: return -2;
        case PathError::kNoMemory: return -4;
        default: return -3;
        }
    }
    if (size != nullptr) *size = static_cast<long>(st.st_size);
    return 0;
}

extern "C" int GetFileDate(const char *path, int *month, int *day, int *year) {
    struct tm tm;
    int r = LocalModificationTime(path, &tm);
    if (r != 0) return r;
    if (month != nullptr) *month = tm.tm_mon + 1;
    if (day != nullptr) *day = tm.tm_mday;
    if (year != nullptr) *year = tm.tm_year + 1900;
    return 0;
}

extern "C" int RteGetFileTime(const char *path, int *hours, int *minutes, int *seconds) {
    struct tm tm;
    int r = LocalModificationTime(path, &tm);
    if (r != 0) return r;
    if (hours != nullptr) *hours = tm.tm_hour;
    if (minutes != nullptr) *minutes = tm.tm_min;
    if (seconds != nullptr) *seconds = tm.tm_sec;
    return 0;
}

namespace {

int RenameResult(int err, const char *oldPath) {
    switch (err) {
    case ENOENT: {
        // Either the old file is missing or the new path's directory is.
        struct stat st;
        return lstat(oldPath, &st) != 0 ? -1 : -5;
    }
    case EACCES:
    case EPERM:
    case EROFS:
        return -2;
    case EIO:
        return -3;
    case ENOMEM:
        return -4;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
    case EINVAL:
        return -5;
    case EEXIST:
    case ENOTEMPTY:
    case EISDIR:
        return -6;
    case ENOSPC:
    case EDQUOT:
        return -8;
    default:
        return -7;
    }
}

}  // namespace

extern "C" int RenameFile(const char *oldPath, const char *newPath) {
    if (oldPath == nullptr || newPath == nullptr || *oldPath == '\0' || *newPath == '\0') return -5;
    // RENAME_NOREPLACE makes "never replace" atomic. File systems without it answer EINVAL;
    // there we check and rename, which leaves a short window for another process to create
    // newPath in between - the best that such a file system offers.
    if (renameat2(AT_FDCWD, oldPath, AT_FDCWD, newPath, RENAME_NOREPLACE) == 0) return 0;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        struct stat st;
        if (lstat(newPath, &st) == 0) return -6;
        if (rename(oldPath, newPath) == 0) return 0;
        err = errno;
    }
    return RenameResult(err, oldPath);
}

extern "C" int SplitPath(const char *path, char *drive, char *directory, char *fileName) {
    if (drive != nullptr) drive[0] = '\0';
    if (directory != nullptr) directory[0] = '\0';
    if (fileName != nullptr) fileName[0] = '\0';
    if (path == nullptr) return 0;
    // '/' is never a trail byte in the double-byte code pages the engine supports (their trail
    // bytes start at 0x40), so the last '/' byte is the last separator in multi-byte mode too.
    const char *slash = strrchr(path, '/');
    size_t dirLen = slash == nullptr ? 0 : static_cast<size_t>(slash - path) + 1;
    size_t nameLen = strlen(path + dirLen);
    if (dirLen >= MAX_DIRNAME_LEN || nameLen >= MAX_FILENAME_LEN) return -100;
    if (directory != nullptr) {
        memcpy(directory, path, dirLen);
        directory[dirLen] = '\0';
    }
    if (fileName != nullptr) memcpy(fileName, path + dirLen, nameLen + 1);
    return 0;
}

extern "C" int _GetErrno(void) { return errno; }
