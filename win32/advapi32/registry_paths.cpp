// The path cache: the key paths a connection has resolved, and the store's count of key
// deletions, which tells without asking the store whether a path's key may have gone.
//
// Any thread or process may delete a key whose path another has cached. Every write that
// deletes keys counts up the deletion counter, a number in the file "<store>-gen" that every
// process maps: once before its commit and once after. A cached key seen alive while the
// counter read N is trusted while the counter still reads N. (A reader that reads N before the
// first count of a deletion opens the key before the deletion commits; one that reads the count
// in between sees the key alive, but the second count follows.) Otherwise the key is checked in
// the store again. Without the file (a folder that cannot be written) every entry is checked.
#include "win32/advapi32/registry_store_internal.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace win32::registry {

namespace {

constexpr size_t kMaxCachedKeys = 1024;
constexpr uint64_t kNoCount = ~uint64_t{0};

uint64_t LoadCount(const uint64_t *counter) {
    return counter != nullptr ? __atomic_load_n(counter, __ATOMIC_SEQ_CST) : kNoCount;
}

void Count(uint64_t *counter) {
    if (counter != nullptr) __atomic_add_fetch(counter, 1, __ATOMIC_SEQ_CST);
}

}  // namespace

uint64_t *MapDeletionCounter(const std::string &file, bool readOnly) {
    int fd = open(file.c_str(), (readOnly ? O_RDONLY : O_RDWR | O_CREAT) | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return nullptr;
    struct stat st;
    bool sized = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                 (st.st_size >= static_cast<off_t>(sizeof(uint64_t)) ||
                  (!readOnly && ftruncate(fd, sizeof(uint64_t)) == 0));  // zeros, whoever makes it
    void *mapped = sized ? mmap(nullptr, sizeof(uint64_t), readOnly ? PROT_READ : PROT_READ | PROT_WRITE,
                                MAP_SHARED, fd, 0)
                         : MAP_FAILED;
    close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<uint64_t *>(mapped);
}

void UnmapDeletionCounter(uint64_t *counter) {
    if (counter != nullptr) munmap(counter, sizeof(uint64_t));
}

void NoteDeletionCount(Connection *c) { c->countAtBody = LoadCount(c->deletions); }

void CountDeletion(Connection *c) {
    Count(c->deletions);
    c->deletedKeys = true;
    ForgetCachedKeys(c);
}

void CountCommittedDeletions(Connection *c) {
    if (c->deletedKeys) Count(c->deletions);
    c->deletedKeys = false;
}

bool CachedKey(Connection *c, const std::string &path, int64_t *id, bool *trusted) {
    auto found = c->pendingKeys.find(path);
    if (found == c->pendingKeys.end()) {
        found = c->keyCache.find(path);
        if (found == c->keyCache.end()) return false;
    }
    *id = found->second.id;
    *trusted = found->second.checkedAt != kNoCount && found->second.checkedAt == LoadCount(c->deletions);
    return true;
}

void CacheKey(Connection *c, const std::string &path, int64_t id) {
    auto &cache = sqlite3_get_autocommit(c->db) == 0 ? c->pendingKeys : c->keyCache;
    if (cache.size() >= kMaxCachedKeys) cache.clear();
    cache[path] = {id, c->countAtBody};
}

void ForgetCachedKeys(Connection *c) {
    c->keyCache.clear();
    c->pendingKeys.clear();
}

void CachePendingKeys(Connection *c) {
    // Only an optimisation: out of memory, the cache is dropped.
    try {
        for (const auto &[path, entry] : c->pendingKeys) {
            if (c->keyCache.size() >= kMaxCachedKeys) c->keyCache.clear();
            c->keyCache[path] = entry;
        }
    } catch (const std::bad_alloc &) {
        c->keyCache.clear();
    }
    c->pendingKeys.clear();
}

}  // namespace win32::registry
