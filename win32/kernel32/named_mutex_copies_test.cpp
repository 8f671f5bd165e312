// Two modules, each with its own copy of kernel32, loaded into this process: a mutex name is
// one mutex for both copies (and for this program's own copy).
#include "win32/winbase.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <thread>

namespace {

struct Copy {
    void *library = nullptr;
    HANDLE (*create)(const char *) = nullptr;
    DWORD (*wait)(HANDLE, DWORD) = nullptr;
    BOOL (*release)(HANDLE) = nullptr;
    BOOL (*close)(HANDLE) = nullptr;

    explicit Copy(const char *path) {
        library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        create = reinterpret_cast<HANDLE (*)(const char *)>(dlsym(library, "CopyCreateMutex"));
        wait = reinterpret_cast<DWORD (*)(HANDLE, DWORD)>(dlsym(library, "CopyWait"));
        release = reinterpret_cast<BOOL (*)(HANDLE)>(dlsym(library, "CopyRelease"));
        close = reinterpret_cast<BOOL (*)(HANDLE)>(dlsym(library, "CopyClose"));
    }
    // Not unloaded: a copy keeps its handle table for the life of the process.
};

}  // namespace

TEST(NamedMutexCopies, EveryCopyOfTheLibraryInTheProcessSharesTheName) {
    Copy a(WIN32_LIBRARY_COPY_A), b(WIN32_LIBRARY_COPY_B);
    ASSERT_NE(a.library, nullptr) << dlerror();
    ASSERT_NE(b.library, nullptr) << dlerror();
    ASSERT_NE(a.create, b.create) << "two copies, not one";
    std::string name = "shared by copies " + std::to_string(GetCurrentProcessId());
    HANDLE inA = a.create(name.c_str());
    HANDLE inB = b.create(name.c_str());
    HANDLE own = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(inA, nullptr);
    ASSERT_NE(inB, nullptr);
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(a.wait(inA, INFINITE), WAIT_OBJECT_0);
    DWORD fromB = 0, fromOwn = 0;
    std::thread([&] {
        fromB = b.wait(inB, 30);
        fromOwn = WaitForSingleObject(own, 30);
    }).join();
    EXPECT_EQ(fromB, static_cast<DWORD>(WAIT_TIMEOUT)) << "copy B sees copy A's holding";
    EXPECT_EQ(fromOwn, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(a.release(inA));
    std::thread([&] {
        fromB = b.wait(inB, 1000);
        b.release(inB);
    }).join();
    EXPECT_EQ(fromB, WAIT_OBJECT_0);
    a.close(inA);
    b.close(inB);
    CloseHandle(own);
}
