// toolbox/files/file_utils_testing.h - internals of the file utilities, for tests (C++).
#ifndef TOOLBOX_FILES_FILE_UTILS_TESTING_H
#define TOOLBOX_FILES_FILE_UTILS_TESTING_H

namespace toolbox::files {

// DeleteAndRename's result for a result of the engine's RenameFile: 0 -> 0, -1 -> -94,
// -2 -> -95, -3 -> -93, -4 -> -12, -5 -> -100, -6 -> -95, -7 -> -93, -8 -> -97, other -> -93.
int RenameResultCode(int renameFileResult);

}  // namespace toolbox::files

#endif
