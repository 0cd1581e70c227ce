// SPDX-License-Identifier: GPL-3.0-or-later
// Store and load speed of the database files: a user database of 100,000 accounts and a test
// of 1,000 questions whose nets have 100 elements each, next to a memcpy of the same bytes,
// and ten times as many accounts, questions or elements per net to show how the time grows.
// Storing is Serialize into an archive's bytes; loading is what Load does once the file is in
// memory: an archive over the bytes and Serialize into a fresh database. Each store and load
// starts with empty caches (--warm-caches: not), and glibc keeps freed memory for every size
// alike (--fresh-pages: not).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "RatioReporter.h"
#include "SampleData.h"
#include "archive/Archive.h"

namespace orvane::bench {
namespace {

struct SampleSetup {
    std::string name;
    bool users;          // a user database, else a test database
    int count;           // accounts or questions
    int elementsPerNet;  // test databases only
};

const std::vector<SampleSetup>& Samples() {
    static const std::vector<SampleSetup> samples = {
        {"userdb_100000_accounts", true, 100'000, 0},
        {"userdb_1000000_accounts", true, 1'000'000, 0},
        {"testdb_1000_questions_100_elements", false, 1'000, 100},
        {"testdb_10000_questions_100_elements", false, 10'000, 100},
        {"testdb_1000_questions_1000_elements", false, 1'000, 1'000},
    };
    return samples;
}

// The sample whose benchmarks run now, with its stored bytes. Only one is held at a time:
// the benchmarks of a sample run one after another, and the large samples take a lot of memory.
struct PreparedSample {
    std::string name;
    std::unique_ptr<CObject> database;
    std::vector<std::uint8_t> bytes;
};

PreparedSample& Prepare(const SampleSetup& setup) {
    static PreparedSample prepared;
    if (prepared.name != setup.name) {
        prepared = PreparedSample{};
        prepared.name = setup.name;
        if (setup.users) {
            prepared.database = MakeSampleUserDB(setup.count);
        } else {
            prepared.database = MakeSampleTestDB(setup.count, setup.elementsPerNet);
        }
        CArchive archive;
        prepared.database->Serialize(archive);
        prepared.bytes = archive.TakeData();
    }
    return prepared;
}

// Whether each store and load starts with the caches emptied (the default; --warm-caches
// turns it off).
bool coldCaches = true;

// Outside the timing, fills the caches with other bytes. The program stores or loads a
// database once, not over and over, so its objects do not wait in the cache; and a small
// sample would otherwise find much of itself there from the iteration before, which a large
// one cannot. 64 MiB is twice the last-level cache of the machine these figures come from.
void EmptyCaches(benchmark::State& state) {
    static std::vector<std::uint8_t> other(std::size_t{64} << 20);
    if (!coldCaches) {
        return;
    }
    state.PauseTiming();
    for (std::size_t i = 0; i < other.size(); i += 64) {
        ++other[i];
    }
    benchmark::ClobberMemory();
    state.ResumeTiming();
}

void CountBytes(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["bytes"] = static_cast<double>(size);
}

void Copy(benchmark::State& state, const SampleSetup& setup) {
    const std::vector<std::uint8_t>& bytes = Prepare(setup).bytes;
    std::vector<std::uint8_t> copy(bytes.size(), 0);
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    CountBytes(state, bytes.size());
}

void Store(benchmark::State& state, const SampleSetup& setup) {
    PreparedSample& prepared = Prepare(setup);
    for (auto _ : state) {
        EmptyCaches(state);
        CArchive archive;
        prepared.database->Serialize(archive);
        // The bytes stay in the archive's blocks, from which Save writes them.
        benchmark::DoNotOptimize(archive.Pieces().size());
    }
    CountBytes(state, prepared.bytes.size());
}

// glibc keeps small freed blocks apart until a large request merges them all. Without this
// the next load's first large request would do that work for the objects freed here.
void MergeFreedBlocks() {
    void* large = std::malloc(std::size_t{1} << 20);
    benchmark::DoNotOptimize(large);
    std::free(large);
}

template <class Database>
void LoadInto(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    for (auto _ : state) {
        EmptyCaches(state);
        auto database = std::make_unique<Database>();
        CArchive archive(bytes);
        database->Serialize(archive);
        // Freeing the loaded objects is not part of loading.
        state.PauseTiming();
        database.reset();
        MergeFreedBlocks();
        state.ResumeTiming();
    }
    CountBytes(state, bytes.size());
}

void Load(benchmark::State& state, const SampleSetup& setup) {
    const std::vector<std::uint8_t>& bytes = Prepare(setup).bytes;
    if (setup.users) {
        LoadInto<CPNUserDB>(state, bytes);
    } else {
        LoadInto<CPNTestDB>(state, bytes);
    }
}

// Removes `flag` from the arguments; true when it was there.
bool TakeFlag(int& argc, char** argv, std::string_view flag) {
    const auto end =
        std::remove_if(argv + 1, argv + argc, [&](const char* arg) { return arg == flag; });
    const bool found = end != argv + argc;
    argc = static_cast<int>(end - argv);
    return found;
}

// glibc gives a freed block above 32 MiB straight back to the kernel, and a new one comes as
// fresh pages that the kernel must zero. Without this only the ten-times samples would pay for
// that on every iteration, and their growth would measure the kernel rather than the archive.
// With --fresh-pages every size keeps glibc's own behaviour.
void KeepFreedMemory() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
}

void RegisterAll() {
    for (const SampleSetup& setup : Samples()) {
        const auto add = [&](const char* operation,
                             void (*run)(benchmark::State&, const SampleSetup&)) {
            benchmark::RegisterBenchmark((setup.name + "/" + operation).c_str(), run, setup)
                ->Unit(benchmark::kMillisecond);
        };
        add("memcpy", Copy);
        add("store", Store);
        add("load", Load);
    }
}

}  // namespace
}  // namespace orvane::bench

int main(int argc, char** argv) {
    using orvane::bench::CRatioReporter;
    if (!orvane::bench::TakeFlag(argc, argv, "--fresh-pages")) {
        orvane::bench::KeepFreedMemory();
    }
    orvane::bench::coldCaches = !orvane::bench::TakeFlag(argc, argv, "--warm-caches");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    orvane::bench::RegisterAll();
    CRatioReporter reporter(
        {
            {"userdb_100000_accounts", "load", 300},
            {"userdb_100000_accounts", "store", 600},
        },
        {
            {"10x accounts", "userdb_100000_accounts", "userdb_1000000_accounts", 12},
            {"10x questions", "testdb_1000_questions_100_elements",
             "testdb_10000_questions_100_elements", 12},
            {"10x elements", "testdb_1000_questions_100_elements",
             "testdb_1000_questions_1000_elements", 12},
        });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.AllMet() ? 0 : 2;
}
