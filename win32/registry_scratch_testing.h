// win32/registry_scratch_testing.h - a private, empty registry store for one test (C++).
//
// While a ScratchRegistry lives, WIN32_REGISTRY names a file in a fresh temporary folder, so
// the test never touches the user's own registry; the folder goes with the object.
#ifndef WIN32_REGISTRY_SCRATCH_TESTING_H
#define WIN32_REGISTRY_SCRATCH_TESTING_H

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace win32::testing {

class ScratchRegistry {
public:
    ScratchRegistry() {
        char folder[] = "/tmp/win32_registry_XXXXXX";
        if (mkdtemp(folder) != nullptr) folder_ = folder;
        path_ = folder_ + "/registry.db";
        setenv("WIN32_REGISTRY", path_.c_str(), 1);
    }
    ~ScratchRegistry() {
        unsetenv("WIN32_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchRegistry(const ScratchRegistry &) = delete;
    ScratchRegistry &operator=(const ScratchRegistry &) = delete;
    const std::string &path() const { return path_; }
    const std::string &folder() const { return folder_; }

private:
    std::string folder_;
    std::string path_;
};

}  // namespace win32::testing

#endif
