// Mutexes: CreateMutexA, WaitForSingleObject, ReleaseMutex and CloseHandle.
//
// A mutex is a recursive, robust pthread mutex. A named one must be the same object for every
// copy of this library in the process (each copy has its own variables), so it lives in a POSIX
// shared memory object whose name is made of the process id and the mutex name: every copy
// that opens the name maps the same memory. The mutex is therefore process-shared (its futex
// is keyed by the memory, not by the address, which differs between mappings). The copy that
// creates the object initialises it; one that opens it meanwhile waits until it is ready.
//
// Within one copy, every handle of a name refers to one mapping (one address), so the handle
// table keeps one Object per name with a count of its handles.
#include "win32/winbase.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxNameLength = 200;

enum : uint32_t { kUninitialised = 0, kReady = 0x4D55544Bu /* M U T K */ };

// The memory shared by every copy: set up once by the creating copy. owner and depth are the
// Windows view of the holding (the thread id of the owner, 0 for none; its number of waits not
// yet released); only the owner changes them, so ReleaseMutex can refuse a thread that does not
// own the mutex without touching the pthread mutex.
struct SharedMutex {
    std::atomic<uint32_t> state;
    std::atomic<pid_t> owner;
    int depth;
    pthread_mutex_t mutex;
};

struct Object {
    SharedMutex *shared;  // in the mapping (named) or on the heap (unnamed)
    std::string name;     // empty for an unnamed mutex
    long handles;
};

// Handles are small positive numbers: index + 1 into the table's handles (null slots are free). The table
// is never destroyed: handles kept open for the life of the process (a lock stored by a loader)
// stay valid until its very end.
std::mutex g_tableLock;
struct Table {
    std::vector<Object *> handles;
    std::map<std::string, Object *> byName;
};
Table &TheTable() {
    static Table *table = new Table;
    return *table;
}

// The shared memory names this copy has made, removed again when the process ends normally.
struct Unlinker {
    std::vector<std::string> names;
    ~Unlinker() {
        for (const auto &n : names) shm_unlink(n.c_str());
    }
};
Unlinker g_created;

bool InitMutex(pthread_mutex_t *mutex, bool shared) {
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0) return false;
    bool ok = pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
              pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
              (!shared || pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0) &&
              pthread_mutex_init(mutex, &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    return ok;
}

// The shared memory object's name: "/win32-mutex.<pid>.<name>", '/' written as "%2F" and '%'
// as "%25" (a shared memory name holds no further '/').
std::string SharedName(const char *name) {
    std::string out = "/win32-mutex." + std::to_string(getpid()) + ".";
    for (const char *p = name; *p != '\0'; ++p) {
        if (*p == '/') {
            out += "%2F";
        } else if (*p == '%') {
            out += "%25";
        } else {
            out += *p;
        }
    }
    return out;
}

// Maps the named mutex, creating and initialising it when this is the first opening in the
// process. Returns null with a Windows error code in *error. *existed tells whether it was
// there already.
SharedMutex *MapShared(const std::string &sharedName, bool *existed, DWORD *error) {
    *existed = false;
    int fd = shm_open(sharedName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    bool creator = fd >= 0;
    if (!creator && errno == EEXIST) {
        fd = shm_open(sharedName.c_str(), O_RDWR, 0600);
        *existed = true;
    }
    if (fd < 0) {
        *error = errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    if (creator && ftruncate(fd, sizeof(SharedMutex)) != 0) {
        close(fd);
        shm_unlink(sharedName.c_str());
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    // An opener may arrive between the creator's shm_open and ftruncate: wait for the size.
    for (int tries = 0; !creator; ++tries) {
        struct stat st;
        if (fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(sizeof(SharedMutex))) break;
        if (tries == 5000) {  // five seconds: the creator has died half-way
            close(fd);
            *error = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        usleep(1000);
    }
    void *memory = mmap(nullptr, sizeof(SharedMutex), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (memory == MAP_FAILED) {
        if (creator) shm_unlink(sharedName.c_str());
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    auto *shared = static_cast<SharedMutex *>(memory);
    if (creator) {
        if (!InitMutex(&shared->mutex, true)) {
            munmap(memory, sizeof(SharedMutex));
            shm_unlink(sharedName.c_str());
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        shared->state.store(kReady, std::memory_order_release);
        g_created.names.push_back(sharedName);
    } else {
        for (int tries = 0; shared->state.load(std::memory_order_acquire) != kReady; ++tries) {
            if (tries == 5000) {
                munmap(memory, sizeof(SharedMutex));
                *error = ERROR_INVALID_HANDLE;
                return nullptr;
            }
            usleep(1000);
        }
    }
    return shared;
}

HANDLE AddHandle(Object *object) {
    for (size_t i = 0; i < TheTable().handles.size(); ++i) {
        if (TheTable().handles[i] == nullptr) {
            TheTable().handles[i] = object;
            return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(i + 1));
        }
    }
    TheTable().handles.push_back(object);
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(TheTable().handles.size()));
}

Object *Lookup(HANDLE handle) {
    auto index = reinterpret_cast<uintptr_t>(handle);
    std::lock_guard<std::mutex> hold(g_tableLock);
    if (index == 0 || index > TheTable().handles.size()) return nullptr;
    return TheTable().handles[index - 1];
}

void ReleaseObject(Object *object) {
    if (object->name.empty()) {
        pthread_mutex_destroy(&object->shared->mutex);
        delete object->shared;
    } else {
        TheTable().byName.erase(object->name);
        munmap(object->shared, sizeof(SharedMutex));
    }
    delete object;
}

HANDLE Create(LPCSTR name, DWORD *error, bool *existed) {
    std::lock_guard<std::mutex> hold(g_tableLock);
    Object *object = nullptr;
    *existed = false;
    if (name == nullptr) {
        auto *shared = new SharedMutex{};  // owner 0, depth 0
        if (!InitMutex(&shared->mutex, false)) {
            delete shared;
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        object = new Object{shared, std::string(), 0};
    } else {
        std::string key = SharedName(name);
        auto found = TheTable().byName.find(key);
        if (found != TheTable().byName.end()) {
            object = found->second;
            *existed = true;
        } else {
            SharedMutex *shared = MapShared(key, existed, error);
            if (shared == nullptr) return nullptr;
            object = new Object{shared, key, 0};
            TheTable().byName[key] = object;
        }
    }
    HANDLE handle = AddHandle(object);
    object->handles++;
    return handle;
}

}  // namespace

extern "C" HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    if (name != nullptr && std::char_traits<char>::length(name) > kMaxNameLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    DWORD error = 0;
    bool existed = false;
    HANDLE handle = nullptr;
    try {
        handle = Create(name, &error, &existed);
    } catch (const std::bad_alloc &) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (handle == nullptr) {
        SetLastError(error);
        return nullptr;
    }
    if (initialOwner) WaitForSingleObject(handle, INFINITE);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : 0);
    return handle;
}

extern "C" DWORD WaitForSingleObject(HANDLE handle, DWORD ms) {
    Object *object = Lookup(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    pthread_mutex_t *mutex = &object->shared->mutex;
    int rc;
    if (ms == INFINITE) {
        rc = pthread_mutex_lock(mutex);
    } else if (ms == 0) {
        rc = pthread_mutex_trylock(mutex);
        if (rc == EBUSY) rc = ETIMEDOUT;
    } else {
        struct timespec deadline;
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += ms / 1000;
        deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
        rc = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
    }
    SharedMutex *shared = object->shared;
    if (rc == 0) {
        if (shared->owner.load(std::memory_order_relaxed) == gettid()) {
            shared->depth++;
        } else {
            shared->owner.store(gettid(), std::memory_order_relaxed);
            shared->depth = 1;
        }
        return WAIT_OBJECT_0;
    }
    if (rc == ETIMEDOUT) return WAIT_TIMEOUT;
    if (rc == EOWNERDEAD) {  // the owner ended holding it: ours now, and usable again
        pthread_mutex_consistent(mutex);
        shared->owner.store(gettid(), std::memory_order_relaxed);
        shared->depth = 1;
        return WAIT_ABANDONED;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

extern "C" BOOL ReleaseMutex(HANDLE handle) {
    Object *object = Lookup(handle);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SharedMutex *shared = object->shared;
    if (shared->owner.load(std::memory_order_relaxed) != gettid()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--shared->depth == 0) shared->owner.store(0, std::memory_order_relaxed);
    pthread_mutex_unlock(&shared->mutex);
    return TRUE;
}

extern "C" BOOL CloseHandle(HANDLE handle) {
    auto index = reinterpret_cast<uintptr_t>(handle);
    std::lock_guard<std::mutex> hold(g_tableLock);
    if (index == 0 || index > TheTable().handles.size() || TheTable().handles[index - 1] == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Object *object = TheTable().handles[index - 1];
    TheTable().handles[index - 1] = nullptr;
    if (--object->handles == 0) ReleaseObject(object);
    return TRUE;
}
