// toolbox/files/file_by_name.cpp - files addressed by name: existence, writability, temporary
// files, deleting and replacing.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "rte/files.h"
#include "toolbox/core/errors.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/file_utils_testing.h"
#include "toolbox/text/strings.h"

namespace {

// Break-on-library-errors off for a scope, restored on every way out.
class BoleOff {
public:
    BoleOff() : old_(SetBOLE(0)) {}
    ~BoleOff() { SetBOLE(old_); }
    BoleOff(const BoleOff &) = delete;
    BoleOff &operator=(const BoleOff &) = delete;

private:
    int old_;
};

}  // namespace

extern "C" int FileExists(const char *path, long *size) {
    BoleOff bole;
    long found = -1;
    int result;
    switch (RteGetFileSize(path, &found)) {
    case 0: result = 1; break;
    case -1: result = 0; break;
    case -4: result = -12; break;
    default: result = -93; break;
    }
    if (size != nullptr) *size = found;
    return result;
}

extern "C" int GetFileWritability(const char *path, int *isWritable) {
    BoleOff bole;
    *isWritable = 0;
    switch (GetFileInfo(path, nullptr)) {
    case -1:
        return -91;
    case 1: {
        // Open for update: "r+b" neither creates nor truncates.
        FILE *f = fopen(path, "r+b");
        if (f != nullptr) {
            fclose(f);
            *isWritable = 1;
        }
        return 0;
    }
    case 0: {
        // Create exclusively, so a file that another process made after the query above is
        // never truncated; if one did appear, answer for it as for an existing file.
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            unlink(path);
            *isWritable = 1;
        } else if (errno == EEXIST) {
            FILE *f = fopen(path, "r+b");
            if (f != nullptr) {
                fclose(f);
                *isWritable = 1;
            }
        }
        return 0;
    }
    default:
        return -93;
    }
}

extern "C" int CreateAndOpenTemporaryFile(const char *directoryPath, const char *prefix,
                                          const char *extension, const char *mode, char *pathBuffer,
                                          FILE **file) {
    BoleOff bole;
    char shortPrefix[6];
    StringCopyMax(shortPrefix, prefix, sizeof shortPrefix);  // at most 5 characters, whole ones
    char drive[MAX_DRIVENAME_LEN], directory[MAX_DIRNAME_LEN];
    if (SplitPath(directoryPath, drive, directory, nullptr) != 0) return TOOLBOX_ERR_CREATE_TEMP_FILE;
    for (int n = 0; n <= 999; ++n) {
        int length = snprintf(pathBuffer, MAX_PATHNAME_LEN, "%s%s%s%d.%s", drive, directory,
                              shortPrefix, n, extension);
        if (length < 0 || length >= MAX_PATHNAME_LEN) return TOOLBOX_ERR_CREATE_TEMP_FILE;
        // The name is taken only by creating the file, atomically: no other process can get the
        // same name in between, and a symbolic link planted under that name is never followed.
        int fd = open(pathBuffer, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            // Say why as a query of the name does: a query that fails is -91 (-93 for any other
            // failure); a name that is free but cannot be created is the creation's failure.
            switch (GetFileInfo(pathBuffer, nullptr)) {
            case 1: continue;  // made by someone else meanwhile
            case 0: return TOOLBOX_ERR_CREATE_TEMP_FILE;
            case -1: return -91;
            default: return -93;
            }
        }
        // The descriptor allows reading and writing, so every stdio mode can be had from it; an
        // append mode makes fdopen set O_APPEND. The file is new and empty, so "w" needs no
        // truncation.
        FILE *stream = fdopen(fd, mode);
        if (stream == nullptr) {
            close(fd);
            unlink(pathBuffer);
            return TOOLBOX_ERR_CREATE_TEMP_FILE;
        }
        *file = stream;
        return 0;
    }
    return TOOLBOX_ERR_NO_UNUSED_TEMP_NAME;
}

extern "C" void RemoveFileIfExists(const char *path) {
    BoleOff bole;
    // unlink, not remove: remove() would also delete an empty directory of that name.
    if (path != nullptr) unlink(path);
}

int toolbox::files::RenameResultCode(int renameFileResult) {
    switch (renameFileResult) {
    case 0: return 0;
    case -1: return -94;
    case -2: return -95;
    case -3: return -93;
    case -4: return -12;
    case -5: return -100;
    case -6: return -95;
    case -7: return -93;
    case -8: return -97;
    default: return -93;
    }
}

extern "C" int DeleteAndRename(const char *oldPath, const char *newPath) {
    BoleOff bole;
    // Deleting newPath first would lose it for nothing when oldPath is missing, and would lose
    // the only copy when both name the same file: check both before deleting anything.
    struct stat oldSt, newSt;
    if (oldPath == nullptr) return -94;
    if (lstat(oldPath, &oldSt) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return -94;
        // oldPath is there but cannot be reached (too long, access denied): the rename fails
        // the same way and says why, and newPath stays.
        return toolbox::files::RenameResultCode(RenameFile(oldPath, newPath));
    }
    if (newPath != nullptr && lstat(newPath, &newSt) == 0 && newSt.st_dev == oldSt.st_dev &&
        newSt.st_ino == oldSt.st_ino)
        return 0;
    RemoveFileIfExists(newPath);
    return toolbox::files::RenameResultCode(RenameFile(oldPath, newPath));
}
