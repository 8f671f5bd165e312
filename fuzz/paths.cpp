// Fuzz target: the path-name functions and SplitPath on any text, in code page 0 and in 932.
// Results must point into the path in the right order, agree with each other, and the built
// paths must have exactly the expected shape; nothing may read or write out of bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rte/mbs_testing.h"
#include "toolbox/toolbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size == 0) return 0;
    rte::testing::ScopedCodePage cp(bytes[0] & 1 ? 932 : 0);
    std::string input(reinterpret_cast<const char *>(bytes + 1), size - 1);
    // The text up to the first NUL is the path; what follows (to the next NUL) the new part.
    std::string path = input.c_str();
    std::string part = input.size() > path.size() ? std::string(input.c_str() + path.size() + 1) : "x";
    const char *p = path.c_str();
    const char *end = p + path.size();

    const char *name = FindFileName(p);
    const char *ext = FindFileExtension(p);
    const char *dot = FindFileDotPosition(p);
    if (name < p || name > end || ext < name || ext > end || dot > ext || dot < name) abort();
    if (name > p && name[-1] != '/') abort();
    if (strchr(name, '/') != nullptr) abort();
    if (ext < end && (ext[-1] != '.' || ext - 1 == name || end - (ext - 1) > 255)) abort();
    if (dot != ext && (*dot != '.' || dot + 1 != ext)) abort();
    if (SkipDriveName(p) != p || IsAbsolutePath(p) != (path[0] == '/')) abort();

    // ChangeBaseFileName keeps the directory part and puts the new name behind it.
    std::vector<char> out(path.size() + part.size() + 2);
    ChangeBaseFileName(p, out.data(), part.c_str());
    if (std::string(out.data()) != path.substr(0, name - p) + part) abort();

    // ChangeFileNameExtension keeps everything before the dot position and appends ".part".
    ChangeFileNameExtension(p, out.data(), part.c_str());
    if (std::string(out.data()) != path.substr(0, dot - p) + "." + part) abort();

    // SplitPath agrees with FindFileName whenever the parts fit their buffers.
    char drive[MAX_DRIVENAME_LEN], dir[MAX_DIRNAME_LEN], file[MAX_FILENAME_LEN];
    if (SplitPath(p, drive, dir, file) == 0) {
        if (drive[0] != '\0' || std::string(dir) != path.substr(0, name - p) || std::string(file) != name)
            abort();
    } else if (dir[0] != '\0' || file[0] != '\0') {
        abort();
    }
    return 0;
}
