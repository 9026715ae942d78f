// Insert rate of the disk queue under different journal and sync settings, and
// the batch read-and-delete of the monitor server worker.
//
//   queue_bench [--benchmark_...]      files go to $ORV_BENCH_DIR, else $TMPDIR, else /tmp
//
// Rates are per wall-clock second (an fsync costs little CPU time).
// Point ORV_BENCH_DIR at the file system that will hold the queue database: the
// figures are dominated by its fsync latency (a tmpfs makes every mode look fast).

#include "sqlite/queue.h"
#include "sqlite/queues_database.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string bench_file() {
    const char* dir = std::getenv("ORV_BENCH_DIR");
    if (dir == nullptr || *dir == '\0') {
        dir = std::getenv("TMPDIR");
    }
    std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/orv-queue-bench-" +
                       std::to_string(getpid()) + ".db";
    return path;
}

void remove_database(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::remove((path + suffix).c_str());
    }
}

const std::string value_300(300, 'x');

// state.range(0): 0 rollback journal (DELETE), 1 WAL; state.range(1): synchronous 2 FULL, 1 NORMAL.
void add_with_settings(benchmark::State& state) {
    const auto path = bench_file();
    remove_database(path);
    {
        SQLite::Database db(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, 0);
        db.execAndGet(state.range(0) == 1 ? "PRAGMA journal_mode=WAL;" : "PRAGMA journal_mode=DELETE;");
        db.exec("PRAGMA synchronous=" + std::to_string(state.range(1)) + ";");
        orv::sqlite::queue queue("events", db);
        for (auto _ : state) {
            queue.add(value_300);
        }
        state.SetItemsProcessed(state.iterations());
    }
    remove_database(path);
}
BENCHMARK(add_with_settings)
    ->ArgNames({"wal", "sync"})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MinTime(2.0);

// The settings the agent opens the queue database with.
void add_agent_settings(benchmark::State& state) {
    const auto path = bench_file();
    remove_database(path);
    {
        auto db = orv::sqlite::open_queues_database(path);
        orv::sqlite::queue queue("events", db);
        for (auto _ : state) {
            queue.add(value_300);
        }
        state.SetItemsProcessed(state.iterations());
    }
    remove_database(path);
}
BENCHMARK(add_agent_settings)->Unit(benchmark::kMicrosecond)
    ->UseRealTime()->MinTime(2.0);

// One delivery round of the worker: read a batch of the oldest values, delete it.
void read_and_delete_batch(benchmark::State& state) {
    const auto path = bench_file();
    remove_database(path);
    {
        auto db = orv::sqlite::open_queues_database(path);
        orv::sqlite::queue queue("events", db);
        const int batch = static_cast<int>(state.range(0));
        for (auto _ : state) {
            state.PauseTiming();
            db.exec("BEGIN;");
            for (int i = 0; i < batch; ++i) {
                queue.add(value_300);
            }
            db.exec("COMMIT;");
            state.ResumeTiming();
            benchmark::DoNotOptimize(queue.get_first_values(batch));
            queue.delete_first_values(batch);
        }
        state.SetItemsProcessed(state.iterations() * batch);
    }
    remove_database(path);
}
BENCHMARK(read_and_delete_batch)->Arg(100)->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
