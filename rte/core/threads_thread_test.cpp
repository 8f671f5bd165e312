// Tests of the engine's locks, thread-safe variables and thread-local variables, with real
// threads, as a program uses them.
#include "rte/threads.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

TEST(RteLock, IsRecursiveForItsHolderAndExcludesOthers) {
    int lock = 0;
    ASSERT_EQ(RteNewLock(nullptr, 0, &lock), 0);
    ASSERT_EQ(RteGetLock(lock), 0);
    ASSERT_EQ(RteGetLock(lock), 0);  // again on the same thread
    std::thread other([&] {
        int obtained = -1;
        EXPECT_EQ(RteTryToGetLock(lock, &obtained), 0);
        EXPECT_EQ(obtained, 0);
        EXPECT_EQ(RteReleaseLock(lock), RTE_THREAD_ERR_NOT_OWNER);
    });
    other.join();
    EXPECT_EQ(RteReleaseLock(lock), 0);
    EXPECT_EQ(RteReleaseLock(lock), 0);
    EXPECT_EQ(RteReleaseLock(lock), RTE_THREAD_ERR_NOT_OWNER);
    EXPECT_EQ(RteDiscardLock(lock), 0);
    EXPECT_EQ(RteGetLock(lock), RTE_THREAD_ERR_INVALID_HANDLE);
    EXPECT_EQ(RteDiscardLock(lock), RTE_THREAD_ERR_INVALID_HANDLE);
}

TEST(RteLock, SerialisesACounterAcrossThreads) {
    int lock = 0;
    ASSERT_EQ(RteNewLock("", 0, &lock), 0);
    long counter = 0;  // guarded by lock only; TSan checks that the lock orders the accesses
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; i++) {
                RteGetLock(lock);
                counter++;
                RteReleaseLock(lock);
            }
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(counter, 4000);
    EXPECT_EQ(RteDiscardLock(lock), 0);
}

TEST(RteLock, NamedLocksAreSharedUntilEveryCreatorDiscards) {
    int a = 0, b = 0, c = 0;
    ASSERT_EQ(RteNewLock("shared", 0, &a), 0);
    ASSERT_EQ(RteNewLock("shared", 0, &b), 0);
    ASSERT_EQ(RteNewLock("other", 0, &c), 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(RteDiscardLock(a), 0);
    EXPECT_EQ(RteGetLock(b), 0);  // still there for the second creator
    EXPECT_EQ(RteReleaseLock(b), 0);
    EXPECT_EQ(RteDiscardLock(b), 0);
    EXPECT_EQ(RteGetLock(a), RTE_THREAD_ERR_INVALID_HANDLE);
    EXPECT_EQ(RteDiscardLock(c), 0);
}

TEST(RteLock, AWaiterWakesWhenTheLockIsDiscarded) {
    int lock = 0;
    ASSERT_EQ(RteNewLock(nullptr, 0, &lock), 0);
    ASSERT_EQ(RteGetLock(lock), 0);
    std::atomic<int> result{1};
    std::thread waiter([&] { result = RteGetLock(lock); });
    // Most often the waiter is blocked by now; either way it must not get the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(RteDiscardLock(lock), 0);
    waiter.join();
    EXPECT_EQ(result.load(), RTE_THREAD_ERR_INVALID_HANDLE);
}

TEST(RteLock, RejectsBadArguments) {
    int lock = 0;
    EXPECT_EQ(RteNewLock(nullptr, 0, nullptr), RTE_THREAD_ERR_NULL_POINTER);
    EXPECT_EQ(RteNewLock(nullptr, 1, &lock), RTE_THREAD_ERR_INVALID_VALUE);
    EXPECT_EQ(RteTryToGetLock(12345, &lock), RTE_THREAD_ERR_INVALID_HANDLE);
    EXPECT_EQ(RteReleaseLock(-1), RTE_THREAD_ERR_INVALID_HANDLE);
}

TEST(RteTSV, HoldsAValueUnderItsLock) {
    int tsv = 0;
    ASSERT_EQ(RteNewTSV(sizeof(long), &tsv), 0);
    long value = -1;
    EXPECT_EQ(RteGetTSV(tsv, &value), 0);
    EXPECT_EQ(value, 0);  // zero at creation
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; i++) {
                void *p = nullptr;
                ASSERT_EQ(RteGetTSVPtr(tsv, &p), 0);
                void *again = nullptr;
                ASSERT_EQ(RteGetTSVPtr(tsv, &again), 0);  // recursive for the holder
                EXPECT_EQ(again, p);
                ++*static_cast<long *>(p);
                RteReleaseTSVPtr(tsv);
                RteReleaseTSVPtr(tsv);
            }
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(RteGetTSV(tsv, &value), 0);
    EXPECT_EQ(value, 2000);
    long seven = 7;
    EXPECT_EQ(RteSetTSV(tsv, &seven), 0);
    EXPECT_EQ(RteGetTSV(tsv, &value), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(RteReleaseTSVPtr(tsv), RTE_THREAD_ERR_NOT_OWNER);
    EXPECT_EQ(RteDiscardTSV(tsv), 0);
    EXPECT_EQ(RteGetTSV(tsv, &value), RTE_THREAD_ERR_INVALID_HANDLE);
}

TEST(RteTSV, ReportsBadArgumentsAndOutOfMemory) {
    int tsv = 0;
    EXPECT_EQ(RteNewTSV(0, &tsv), RTE_THREAD_ERR_INVALID_VALUE);
    EXPECT_EQ(RteNewTSV(4, nullptr), RTE_THREAD_ERR_NULL_POINTER);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int made = 0;
        int status = RteNewTSV(16, &made);
        if (injected) {
            EXPECT_EQ(status, RTE_THREAD_ERR_OUT_OF_MEMORY);
            EXPECT_EQ(made, 0);
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(RteDiscardTSV(made), 0);
        }
    });
    ASSERT_EQ(RteNewTSV(4, &tsv), 0);
    EXPECT_EQ(RteSetTSV(tsv, nullptr), RTE_THREAD_ERR_NULL_POINTER);
    EXPECT_EQ(RteGetTSVPtr(tsv, nullptr), RTE_THREAD_ERR_NULL_POINTER);
    EXPECT_EQ(RteDiscardTSV(tsv), 0);
}

namespace {

struct DiscardRecord {
    int value;
    int event;
    unsigned owner;
    unsigned ranOn;
};

std::mutex g_recordsMutex;
std::vector<DiscardRecord> g_records;

void RecordDiscard(void *block, int event, void *callbackData, unsigned ownerThreadId) {
    EXPECT_EQ(callbackData, &g_records);
    std::lock_guard<std::mutex> guard(g_recordsMutex);
    g_records.push_back({*static_cast<int *>(block), event, ownerThreadId, CurrThreadId()});
}

}  // namespace

TEST(RteThreadLocalVar, EachThreadGetsItsOwnCopyDiscardedWhenItEnds) {
    g_records.clear();
    int tlv = 0;
    const int image = 42;
    ASSERT_EQ(RteNewThreadLocalVar(sizeof image, &image, RecordDiscard, &g_records, &tlv), 0);
    void *mine = nullptr;
    ASSERT_EQ(RteGetThreadLocalVar(tlv, &mine), 0);
    *static_cast<int *>(mine) = 1;

    unsigned workerId = 0;
    std::thread worker([&] {
        workerId = CurrThreadId();
        void *block = nullptr;
        ASSERT_EQ(RteGetThreadLocalVar(tlv, &block), 0);
        EXPECT_EQ(*static_cast<int *>(block), 42);  // a fresh copy of the image
        EXPECT_NE(block, mine);
        *static_cast<int *>(block) = 2;
    });
    worker.join();
    ASSERT_EQ(g_records.size(), 1u);
    EXPECT_EQ(g_records[0].value, 2);
    EXPECT_EQ(g_records[0].event, RTE_TLV_EVENT_ON_OWNER_THREAD);
    EXPECT_EQ(g_records[0].owner, workerId);
    EXPECT_EQ(g_records[0].ranOn, workerId);

    void *again = nullptr;
    ASSERT_EQ(RteGetThreadLocalVar(tlv, &again), 0);
    EXPECT_EQ(again, mine);
    EXPECT_EQ(*static_cast<int *>(again), 1);
    ASSERT_EQ(RteDiscardThreadLocalVar(tlv), 0);
    ASSERT_EQ(g_records.size(), 2u);
    EXPECT_EQ(g_records[1].value, 1);
    EXPECT_EQ(g_records[1].event, RTE_TLV_EVENT_ON_OWNER_THREAD);
    EXPECT_EQ(RteGetThreadLocalVar(tlv, &again), RTE_THREAD_ERR_INVALID_HANDLE);
}

TEST(RteThreadLocalVar, DiscardRunsForLiveThreadsOnTheDiscardingThread) {
    g_records.clear();
    int tlv = 0;
    ASSERT_EQ(RteNewThreadLocalVar(sizeof(int), nullptr, RecordDiscard, &g_records, &tlv), 0);
    std::promise<unsigned> touched;
    std::promise<void> discarded;
    std::thread worker([&] {
        void *block = nullptr;
        EXPECT_EQ(RteGetThreadLocalVar(tlv, &block), 0);
        EXPECT_EQ(*static_cast<int *>(block), 0);  // no image: zeroes
        *static_cast<int *>(block) = 9;
        touched.set_value(CurrThreadId());
        discarded.get_future().wait();
    });
    unsigned workerId = touched.get_future().get();
    EXPECT_EQ(RteDiscardThreadLocalVar(tlv), 0);
    discarded.set_value();
    worker.join();  // its block is gone, so nothing more runs at its end
    ASSERT_EQ(g_records.size(), 1u);
    EXPECT_EQ(g_records[0].value, 9);
    EXPECT_EQ(g_records[0].event, RTE_TLV_EVENT_ON_OTHER_THREAD);
    EXPECT_EQ(g_records[0].owner, workerId);
    EXPECT_EQ(g_records[0].ranOn, CurrThreadId());
}

TEST(RteThreadLocalVar, ABlockThatCannotBeMadeIsReportedAndRetried) {
    int tlv = 0;
    EXPECT_EQ(RteNewThreadLocalVar(0, nullptr, nullptr, nullptr, &tlv), RTE_THREAD_ERR_INVALID_VALUE);
    ASSERT_EQ(RteNewThreadLocalVar(8, nullptr, nullptr, nullptr, &tlv), 0);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        std::thread fresh([&] {  // a new thread, so its block is made by this access
            void *block = nullptr;
            int status = RteGetThreadLocalVar(tlv, &block);
            if (injected) {
                EXPECT_EQ(status, RTE_THREAD_ERR_OUT_OF_MEMORY);
                EXPECT_EQ(block, nullptr);
                status = RteGetThreadLocalVar(tlv, &block);  // tries again
            }
            EXPECT_EQ(status, 0);
            EXPECT_NE(block, nullptr);
        });
        fresh.join();
    });
    EXPECT_EQ(RteGetThreadLocalVar(tlv, nullptr), RTE_THREAD_ERR_NULL_POINTER);
    EXPECT_EQ(RteDiscardThreadLocalVar(tlv), 0);
}

namespace {

int g_exitTlv = 0;

void UseTheVariableAtExit() {
    void *block = nullptr;
    int status = RteGetThreadLocalVar(g_exitTlv, &block);
    std::fprintf(stderr, "status %d, image %d\n", status, block ? *static_cast<int *>(block) : -1);
}

}  // namespace

// A program without CloseRTE runs its exit clean-ups after the main thread's own thread-locals
// have gone; a clean-up that uses a thread-local variable then gets a fresh block.
TEST(RteThreadLocalVarDeathTest, AnExitCleanupMayStillUseAVariable) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int image = 5;
            RteNewThreadLocalVar(sizeof image, &image, nullptr, nullptr, &g_exitTlv);
            void *block = nullptr;
            RteGetThreadLocalVar(g_exitTlv, &block);
            *static_cast<int *>(block) = 6;
            RegisterExitCleanup(UseTheVariableAtExit);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^status 0, image 5\n$");
}
