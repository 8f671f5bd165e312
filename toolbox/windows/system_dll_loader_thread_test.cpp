// Tests of the system module loader: several threads entering it at once load the module once;
// a missing function gives -5094 and leaves nothing loaded; a missing module -5093.
#include "toolbox/windows/system_dll_loader_internal.h"
#include "toolbox/windows/system_dlls.h"

#include "toolbox/core/errors.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(SystemDllLoader, ThreadsEnteringAtOnceLoadTheModuleOnce) {
    const char *const names[] = {"GetDiskFreeSpaceExA", "GetDiskFreeSpaceA"};
    FARPROC functions[2] = {};
    SystemDll dll = {"kernel32.dll", "loader test lock - %d", names, 2, functions};
    std::atomic<bool> go{false};
    std::vector<int> results(8, 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            results[t] = LoadSystemDll(&dll);
        });
    }
    go.store(true);
    for (auto &t : threads) t.join();
    for (int r : results) EXPECT_EQ(r, 0);
    ASSERT_NE(functions[0], nullptr);
    ASSERT_NE(functions[1], nullptr);
    EXPECT_EQ(LoadSystemDll(&dll), 0);
    // Loaded exactly once: one FreeLibrary undoes it, a second finds nothing to undo.
    EXPECT_TRUE(FreeLibrary(dll.module));
    EXPECT_FALSE(FreeLibrary(dll.module));
    CloseHandle(dll.lock);
}

TEST(SystemDllLoader, FailuresLeaveTheModuleUnloadedAndAreTriedAgain) {
    const char *const names[] = {"GetDiskFreeSpaceExA", "NoSuchFunction"};
    FARPROC functions[2] = {};
    SystemDll missingFunction = {"kernel32.dll", "loader test lock 2 - %d", names, 2, functions};
    EXPECT_EQ(LoadSystemDll(&missingFunction), TOOLBOX_ERR_SYSTEM_FUNCTION_NOT_FOUND);
    EXPECT_EQ(missingFunction.module, nullptr);
    EXPECT_EQ(missingFunction.lock, nullptr);
    EXPECT_EQ(missingFunction.loaded.load(), 0);
    EXPECT_EQ(LoadSystemDll(&missingFunction), TOOLBOX_ERR_SYSTEM_FUNCTION_NOT_FOUND) << "tried again";

    SystemDll missingModule = {"nosuch.dll", "loader test lock 3 - %d", names, 1, functions};
    EXPECT_EQ(LoadSystemDll(&missingModule), TOOLBOX_ERR_LOAD_SYSTEM_DLL);
    EXPECT_EQ(missingModule.loaded.load(), 0);
    CloseHandle(missingModule.lock);
}

TEST(SystemDllLoader, CallGetDiskFreeSpaceExFromManyThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            ULARGE_INTEGER total;
            int result = 0;
            if (CallGetDiskFreeSpaceEx("/", nullptr, &total, nullptr, &result) != 0 || !result) failures++;
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    int result = 7;
    EXPECT_EQ(CallGetDiskFreeSpaceEx("/no/such/folder", nullptr, nullptr, nullptr, &result), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}
