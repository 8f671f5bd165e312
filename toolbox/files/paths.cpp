// toolbox/files/paths.cpp - path-name dissection: file name, extension, dot; new paths with
// another extension or file name.
#include "toolbox/files/paths.h"

#include <string.h>

#include "rte/mbs.h"
#include "toolbox/core/check_internal.h"

namespace {

constexpr size_t kMaxExtensionReach = 255;  // an extension's dot lies within the last 255 bytes

// The file name without the assertion, for use inside this file.
char *FileNameOf(const char *path) {
    const char *slash = strrchr(path, '/');
    return const_cast<char *>(slash != nullptr ? slash + 1 : path);
}

}  // namespace

extern "C" char *SkipDriveName(const char *path) { return const_cast<char *>(path); }

extern "C" int IsAbsolutePath(const char *path) { return path != nullptr && path[0] == '/' ? 1 : 0; }

extern "C" char *FindFileName(const char *path) {
    TOOLBOX_CHECK(path != nullptr, "Null pathString parameter passed to FindFileName");
    return FileNameOf(path);
}

extern "C" char *FindFileExtension(const char *path) {
    TOOLBOX_CHECK(path != nullptr, "Null pathString parameter passed to FindFileExtension");
    const char *name = FileNameOf(path);
    const char *end = name + strlen(name);
    // The last dot of the name, stepping by whole characters from its second character on (a
    // leading dot is no extension's), and near enough to the end.
    const char *dot = nullptr;
    for (const char *p = Rte_mbsinc(name); p != nullptr && *p != '\0'; p = Rte_mbsinc(p))
        if (*p == '.') dot = p;
    if (dot != nullptr && static_cast<size_t>(end - dot) <= kMaxExtensionReach) return const_cast<char *>(dot + 1);
    return const_cast<char *>(end);
}

extern "C" char *FindFileDotPosition(const char *path) {
    TOOLBOX_CHECK(path != nullptr, "Null pathString parameter passed to FindFileDotPosition");
    char *extension = FindFileExtension(path);
    char *before = Rte_mbsdec(path, extension);
    if (before != nullptr && *before == '.' && Rte_mbsinc(before) == extension) return before;
    return extension;
}

extern "C" void ChangeFileNameExtension(const char *oldPath, char *newPath, const char *newExtension) {
    TOOLBOX_CHECK_ARG(oldPath, "Null parameters passed to ChangeFileNameExtension");
    TOOLBOX_CHECK_ARG(newPath, "Null parameters passed to ChangeFileNameExtension");
    TOOLBOX_CHECK_ARG(newExtension, "Null parameters passed to ChangeFileNameExtension");
    memmove(newPath, oldPath, strlen(oldPath) + 1);
    char *dot = FindFileDotPosition(newPath);
    size_t n = strlen(newExtension);
    memmove(dot + 1, newExtension, n + 1);
    *dot = '.';
}

extern "C" void ChangeBaseFileName(const char *oldPath, char *newPath, const char *newFileName) {
    TOOLBOX_CHECK_ARG(oldPath, "Null parameters passed to ChangeBaseFileName");
    TOOLBOX_CHECK_ARG(newPath, "Null parameters passed to ChangeBaseFileName");
    TOOLBOX_CHECK_ARG(newFileName, "Null parameters passed to ChangeBaseFileName");
    size_t directory = static_cast<size_t>(FileNameOf(oldPath) - oldPath);
    memmove(newPath, oldPath, directory);
    memmove(newPath + directory, newFileName, strlen(newFileName) + 1);
}
