// Benchmarks of the containers against the standard alternatives, each pair using the same
// comparison function called through a pointer: the list sorts against qsort and std::sort
// (a million ints, a million 24-byte records), appending to a list against
// std::vector::push_back, and BinSearch against std::lower_bound.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "toolbox/toolbox.h"

namespace {

constexpr int kCount = 1'000'000;

struct Record {  // 24 bytes, ordered by key
    int key;
    int payload[5];
};
static_assert(sizeof(Record) == 24);

int RecordCompare(const void *a, const void *b) {
    int x = static_cast<const Record *>(a)->key, y = static_cast<const Record *>(b)->key;
    return (x > y) - (x < y);
}

template <class T>
const std::vector<T> &RandomData() {
    static const std::vector<T> data = [] {
        std::mt19937 rng(42);
        std::vector<T> v(kCount);
        for (T &e : v) memset(&e, 0, sizeof e), *reinterpret_cast<int *>(&e) = static_cast<int>(rng());
        return v;
    }();
    return data;
}

// The comparison for each element type, read from a volatile so that the optimiser cannot see
// which function it is: every contender calls it through a pointer, as the list sorts must.
CompareFunction volatile g_intCompare = IntCompare;
CompareFunction volatile g_recordCompare = RecordCompare;

template <class T>
CompareFunction Compare() {
    return sizeof(T) == sizeof(int) ? g_intCompare : g_recordCompare;
}

enum class Sorter { ListQuick, ListHeap, Qsort, StdSort };

template <class T, Sorter S>
void BM_Sort(benchmark::State &state) {
    const std::vector<T> &data = RandomData<T>();
    CompareFunction cmp = Compare<T>();
    ListHandle list = ListCreate(sizeof(T));
    ListInsertItems(list, data.data(), LIST_END, kCount);
    std::vector<T> v;
    for (auto _ : state) {
        state.PauseTiming();
        memcpy(ListGetDataPtr(list), data.data(), kCount * sizeof(T));
        v = data;
        state.ResumeTiming();
        if constexpr (S == Sorter::ListQuick) ListQuickSort(list, cmp);
        if constexpr (S == Sorter::ListHeap) ListHeapSort(list, cmp);
        if constexpr (S == Sorter::Qsort) qsort(v.data(), v.size(), sizeof(T), cmp);
        if constexpr (S == Sorter::StdSort)
            std::sort(v.begin(), v.end(), [cmp](const T &a, const T &b) { return cmp(&a, &b) < 0; });
        benchmark::ClobberMemory();
    }
    ListDispose(list);
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_Sort<int, Sorter::ListQuick>)->Name("Sort1MInts/ListQuickSort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<int, Sorter::ListHeap>)->Name("Sort1MInts/ListHeapSort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<int, Sorter::Qsort>)->Name("Sort1MInts/qsort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<int, Sorter::StdSort>)->Name("Sort1MInts/std::sort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<Record, Sorter::ListQuick>)->Name("Sort1MRecords24/ListQuickSort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<Record, Sorter::ListHeap>)->Name("Sort1MRecords24/ListHeapSort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<Record, Sorter::Qsort>)->Name("Sort1MRecords24/qsort")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<Record, Sorter::StdSort>)->Name("Sort1MRecords24/std::sort")->Unit(benchmark::kMillisecond);

// Appending a million ints one at a time to a fresh container, growth included.
void BM_AppendListInsertItem(benchmark::State &state) {
    for (auto _ : state) {
        ListHandle list = ListCreate(sizeof(int));
        for (int i = 0; i < kCount; ++i) ListInsertItem(list, &i, LIST_END);
        benchmark::DoNotOptimize(ListGetDataPtr(list));
        ListDispose(list);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_AppendListInsertItem)->Name("Append1MInts/ListInsertItem")->Unit(benchmark::kMillisecond);

void BM_AppendVectorPushBack(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<int> v;
        for (int i = 0; i < kCount; ++i) v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_AppendVectorPushBack)->Name("Append1MInts/std::vector::push_back")->Unit(benchmark::kMillisecond);

// Looking up random keys in a sorted array of a million ints.
template <bool Standard>
void BM_Search(benchmark::State &state) {
    std::vector<int> sorted = RandomData<int>();
    std::sort(sorted.begin(), sorted.end());
    const std::vector<int> &keys = RandomData<int>();
    CompareFunction cmp = Compare<int>();
    size_t k = 0;
    for (auto _ : state) {
        const int *key = &keys[k++ % keys.size()];
        if constexpr (Standard) {
            auto it = std::lower_bound(sorted.begin(), sorted.end(), *key,
                                       [cmp](const int &a, const int &b) { return cmp(&a, &b) < 0; });
            benchmark::DoNotOptimize(it);
        } else {
            benchmark::DoNotOptimize(BinSearch(sorted.data(), kCount, sizeof(int), key, cmp));
        }
    }
}
BENCHMARK(BM_Search<false>)->Name("Search1MInts/BinSearch");
BENCHMARK(BM_Search<true>)->Name("Search1MInts/std::lower_bound");

}  // namespace

BENCHMARK_MAIN();
