// The engine's thread objects: recursive locks, thread-safe variables and thread-local
// variables with discard callbacks that run when a thread ends or the variable is discarded.
//
// All objects live in one registry behind one mutex. Objects are reference counted
// (shared_ptr), so a thread blocked on a lock keeps it alive while another thread discards it.
// The registry is made once and never destroyed, so the process-exit clean-ups may use it after
// static destructors have started.
#include "rte/threads.h"

#include "rte/alloc.h"
#include "rte/engine.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace {

// A recursive lock. Invariant: depth == 0 exactly when owner == 0 (nobody holds it).
struct RecursiveLock {
    std::mutex m;
    std::condition_variable freed;
    unsigned owner = 0;
    int depth = 0;
    bool discarded = false;
};

struct Lock {
    RecursiveLock lock;
    std::string name;  // empty for a private lock
    int shares = 1;    // creators of a named lock that have not discarded it yet
};

struct TSV {
    RecursiveLock lock;
    size_t size = 0;
    void *value = nullptr;  // size bytes from RteCalloc; freed on discard
};

struct TLV {
    size_t size = 0;
    std::vector<char> image;
    RteTLVDiscardCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
};

// One block of a thread-local variable, with what its clean-up needs after the variable is gone.
struct Block {
    void *memory = nullptr;
    RteTLVDiscardCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
};

// A thread that has touched a thread-local variable. Its blocks map is changed by the thread
// itself and by RteDiscardThreadLocalVar on any thread, always under the record's mutex.
struct ThreadRecord {
    unsigned threadId = 0;
    std::mutex m;
    std::map<int, Block> blocks;  // variable handle -> this thread's block
};

struct Registry {
    std::mutex m;  // taken before any ThreadRecord::m, never after
    int lastHandle = 0;
    std::map<int, std::shared_ptr<Lock>> locks;
    std::map<int, std::shared_ptr<TSV>> tsvs;
    std::map<int, std::shared_ptr<TLV>> tlvs;
    std::set<ThreadRecord *> threads;

    int NewHandle() { return ++lastHandle; }
};

Registry &Reg() {
    static Registry *registry = new Registry;  // never destroyed, see the file comment
    return *registry;
}

template <typename T>
std::shared_ptr<T> Find(std::map<int, std::shared_ptr<T>> &table, int handle) {
    std::lock_guard<std::mutex> guard(Reg().m);
    auto it = table.find(handle);
    return it == table.end() ? nullptr : it->second;
}

// ---- Recursive lock primitives ----

int Acquire(RecursiveLock &l, unsigned me) {
    std::unique_lock<std::mutex> guard(l.m);
    if (l.owner == me && l.depth > 0) {
        l.depth++;
        return 0;
    }
    l.freed.wait(guard, [&] { return l.depth == 0 || l.discarded; });
    if (l.discarded) return RTE_THREAD_ERR_INVALID_HANDLE;
    l.owner = me;
    l.depth = 1;
    return 0;
}

int TryAcquire(RecursiveLock &l, unsigned me, int *obtained) {
    std::lock_guard<std::mutex> guard(l.m);
    if (l.discarded) return RTE_THREAD_ERR_INVALID_HANDLE;
    if (l.depth == 0 || l.owner == me) {
        l.owner = me;
        l.depth++;
        *obtained = 1;
    } else {
        *obtained = 0;
    }
    return 0;
}

int Release(RecursiveLock &l, unsigned me) {
    std::lock_guard<std::mutex> guard(l.m);
    if (l.depth == 0 || l.owner != me) return RTE_THREAD_ERR_NOT_OWNER;
    if (--l.depth == 0) {
        l.owner = 0;
        l.freed.notify_one();
    }
    return 0;
}

void MarkDiscarded(RecursiveLock &l) {
    std::lock_guard<std::mutex> guard(l.m);
    l.discarded = true;
    l.freed.notify_all();
}

// ---- Thread-local variables: per-thread record and its end-of-thread clean-up ----

// Runs the discard callback for a block taken out of every table, then frees it.
void DiscardBlock(const Block &block, unsigned owner) {
    if (block.callback) {
        int event = owner == RteGetCurrentThreadID() ? RTE_TLV_EVENT_ON_OWNER_THREAD
                                                     : RTE_TLV_EVENT_ON_OTHER_THREAD;
        block.callback(block.memory, event, block.callbackData, owner);
    }
    std::free(block.memory);
}

// The calling thread's record. A plain pointer, so it can still be read after the thread's
// destructors have run: the main thread's thread-locals go before the exit clean-ups run, and a
// clean-up that then asks for a variable gets a new record instead of the freed one.
thread_local ThreadRecord *t_record = nullptr;
thread_local bool t_exitRan = false;  // ThreadExit below has been destroyed on this thread

// A C++ thread_local whose destructor runs on the thread as the thread ends.
struct ThreadExit {
    bool armed = false;

    ~ThreadExit() {
        t_exitRan = true;
        ThreadRecord *record = t_record;
        if (!record) return;
        // A discard callback may touch another thread-local variable and so make a new block;
        // repeat until none is left.
        for (;;) {
            std::map<int, Block> blocks;
            {
                std::lock_guard<std::mutex> regGuard(Reg().m);
                std::lock_guard<std::mutex> guard(record->m);
                blocks.swap(record->blocks);
                if (blocks.empty()) {
                    Reg().threads.erase(record);
                    break;
                }
            }
            for (auto &entry : blocks) DiscardBlock(entry.second, record->threadId);
        }
        t_record = nullptr;
        delete record;
    }
};

thread_local ThreadExit t_exit;

// The calling thread's record, made and registered on first use; null when it cannot be made.
ThreadRecord *CurrentRecord() {
    if (t_record) return t_record;
    ThreadRecord *record = new (std::nothrow) ThreadRecord;
    if (!record) return nullptr;
    record->threadId = RteGetCurrentThreadID();
    try {
        std::lock_guard<std::mutex> guard(Reg().m);
        Reg().threads.insert(record);
    } catch (...) {
        delete record;
        return nullptr;
    }
    t_record = record;
    if (!t_exitRan) t_exit.armed = true;  // first use: its destructor now runs at thread end
    return record;
}

}  // namespace

// ---- Locks ----

extern "C" int RteNewLock(const char *name, int options, int *lock) {
    if (!lock) return RTE_THREAD_ERR_NULL_POINTER;
    if (options != 0) return RTE_THREAD_ERR_INVALID_VALUE;
    try {
        std::lock_guard<std::mutex> guard(Reg().m);
        if (name && *name) {
            for (auto &entry : Reg().locks) {
                if (entry.second->name == name) {
                    entry.second->shares++;
                    *lock = entry.first;
                    return 0;
                }
            }
        }
        auto made = std::make_shared<Lock>();
        if (name) made->name = name;
        int handle = Reg().NewHandle();
        Reg().locks.emplace(handle, made);
        *lock = handle;
        return 0;
    } catch (...) {
        return RTE_THREAD_ERR_OUT_OF_MEMORY;
    }
}

extern "C" int RteGetLock(int lock) {
    auto found = Find(Reg().locks, lock);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    return Acquire(found->lock, RteGetCurrentThreadID());
}

extern "C" int RteTryToGetLock(int lock, int *obtained) {
    if (!obtained) return RTE_THREAD_ERR_NULL_POINTER;
    auto found = Find(Reg().locks, lock);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    return TryAcquire(found->lock, RteGetCurrentThreadID(), obtained);
}

extern "C" int RteReleaseLock(int lock) {
    auto found = Find(Reg().locks, lock);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    return Release(found->lock, RteGetCurrentThreadID());
}

extern "C" int RteDiscardLock(int lock) {
    std::shared_ptr<Lock> found;
    {
        std::lock_guard<std::mutex> guard(Reg().m);
        auto it = Reg().locks.find(lock);
        if (it == Reg().locks.end()) return RTE_THREAD_ERR_INVALID_HANDLE;
        if (--it->second->shares > 0) return 0;
        found = it->second;
        Reg().locks.erase(it);
    }
    MarkDiscarded(found->lock);
    return 0;
}

// ---- Thread-safe variables ----

extern "C" int RteNewTSV(int size, int *tsv) {
    if (!tsv) return RTE_THREAD_ERR_NULL_POINTER;
    if (size <= 0) return RTE_THREAD_ERR_INVALID_VALUE;
    void *value = RteCalloc(1, static_cast<size_t>(size));
    if (!value) return RTE_THREAD_ERR_OUT_OF_MEMORY;
    try {
        auto made = std::make_shared<TSV>();
        made->size = static_cast<size_t>(size);
        made->value = value;
        std::lock_guard<std::mutex> guard(Reg().m);
        int handle = Reg().NewHandle();
        Reg().tsvs.emplace(handle, made);
        *tsv = handle;
        return 0;
    } catch (...) {
        std::free(value);
        return RTE_THREAD_ERR_OUT_OF_MEMORY;
    }
}

extern "C" int RteDiscardTSV(int tsv) {
    unsigned me = RteGetCurrentThreadID();
    auto found = Find(Reg().tsvs, tsv);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    // Hold the variable's lock so that no other thread is using the value while it goes.
    int status = Acquire(found->lock, me);
    if (status < 0) return status;
    {
        std::lock_guard<std::mutex> guard(Reg().m);
        auto it = Reg().tsvs.find(tsv);
        if (it == Reg().tsvs.end() || it->second != found) {
            Release(found->lock, me);
            return RTE_THREAD_ERR_INVALID_HANDLE;  // a concurrent discard won
        }
        Reg().tsvs.erase(it);
    }
    std::free(found->value);
    found->value = nullptr;
    MarkDiscarded(found->lock);
    return 0;
}

extern "C" int RteGetTSVPtr(int tsv, void **valuePtr) {
    if (!valuePtr) return RTE_THREAD_ERR_NULL_POINTER;
    auto found = Find(Reg().tsvs, tsv);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    int status = Acquire(found->lock, RteGetCurrentThreadID());
    if (status < 0) return status;
    *valuePtr = found->value;
    return 0;
}

extern "C" int RteReleaseTSVPtr(int tsv) {
    auto found = Find(Reg().tsvs, tsv);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    return Release(found->lock, RteGetCurrentThreadID());
}

namespace {

// Copies between the variable's value and outside memory under the variable's lock.
int CopyTSV(int tsv, void *outside, bool intoVariable) {
    if (!outside) return RTE_THREAD_ERR_NULL_POINTER;
    unsigned me = RteGetCurrentThreadID();
    auto found = Find(Reg().tsvs, tsv);
    if (!found) return RTE_THREAD_ERR_INVALID_HANDLE;
    int status = Acquire(found->lock, me);
    if (status < 0) return status;
    if (intoVariable)
        std::memmove(found->value, outside, found->size);
    else
        std::memmove(outside, found->value, found->size);
    return Release(found->lock, me);
}

}  // namespace

extern "C" int RteSetTSV(int tsv, const void *value) {
    return CopyTSV(tsv, const_cast<void *>(value), true);
}

extern "C" int RteGetTSV(int tsv, void *value) { return CopyTSV(tsv, value, false); }

// ---- Thread-local variables ----

extern "C" int RteNewThreadLocalVar(int size, const void *initialImage,
                                    RteTLVDiscardCallbackPtr discardCallback, void *callbackData,
                                    int *tlv) {
    if (!tlv) return RTE_THREAD_ERR_NULL_POINTER;
    if (size <= 0) return RTE_THREAD_ERR_INVALID_VALUE;
    try {
        auto made = std::make_shared<TLV>();
        made->size = static_cast<size_t>(size);
        made->image.assign(made->size, 0);
        if (initialImage) std::memcpy(made->image.data(), initialImage, made->size);
        made->callback = discardCallback;
        made->callbackData = callbackData;
        std::lock_guard<std::mutex> guard(Reg().m);
        int handle = Reg().NewHandle();
        Reg().tlvs.emplace(handle, made);
        *tlv = handle;
        return 0;
    } catch (...) {
        return RTE_THREAD_ERR_OUT_OF_MEMORY;
    }
}

extern "C" int RteGetThreadLocalVar(int tlv, void **blockPtr) {
    if (!blockPtr) return RTE_THREAD_ERR_NULL_POINTER;
    ThreadRecord *record = CurrentRecord();
    if (!record) return RTE_THREAD_ERR_OUT_OF_MEMORY;
    {
        std::lock_guard<std::mutex> guard(record->m);
        auto it = record->blocks.find(tlv);
        if (it != record->blocks.end()) {
            *blockPtr = it->second.memory;
            return 0;
        }
    }
    // First access on this thread: copy the image into a new block. The registry's mutex is
    // held while the block is entered, so a concurrent discard either sees it or came first.
    try {
        std::lock_guard<std::mutex> regGuard(Reg().m);
        auto found = Reg().tlvs.find(tlv);
        if (found == Reg().tlvs.end()) return RTE_THREAD_ERR_INVALID_HANDLE;
        const TLV &var = *found->second;
        void *memory = RteMalloc(var.size);
        if (!memory) return RTE_THREAD_ERR_OUT_OF_MEMORY;
        std::memcpy(memory, var.image.data(), var.size);
        std::lock_guard<std::mutex> guard(record->m);
        try {
            record->blocks.emplace(tlv, Block{memory, var.callback, var.callbackData});
        } catch (...) {
            std::free(memory);
            throw;
        }
        *blockPtr = memory;
        return 0;
    } catch (...) {
        return RTE_THREAD_ERR_OUT_OF_MEMORY;
    }
}

extern "C" int RteDiscardThreadLocalVar(int tlv) {
    // Take every thread's block out under the locks, then run the callbacks with no lock held.
    std::vector<std::pair<Block, unsigned>> taken;
    {
        std::lock_guard<std::mutex> regGuard(Reg().m);
        auto found = Reg().tlvs.find(tlv);
        if (found == Reg().tlvs.end()) return RTE_THREAD_ERR_INVALID_HANDLE;
        try {
            taken.reserve(Reg().threads.size());
        } catch (...) {
            return RTE_THREAD_ERR_OUT_OF_MEMORY;
        }
        Reg().tlvs.erase(found);
        for (ThreadRecord *record : Reg().threads) {
            std::lock_guard<std::mutex> guard(record->m);
            auto it = record->blocks.find(tlv);
            if (it == record->blocks.end()) continue;
            taken.emplace_back(it->second, record->threadId);
            record->blocks.erase(it);
        }
    }
    for (auto &entry : taken) DiscardBlock(entry.first, entry.second);
    return 0;
}
