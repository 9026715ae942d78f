#include "sqlite/disk_queue_impl.h"
#include "sqlite/queues_database.h"
#include "support/temp_dir.h"

#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using orv::context::make_synchronized_disk_queue;
using orv::sqlite::open_queues_database;
using orv::sqlite::synchronized_database;
using strings = std::vector<std::string>;

TEST(queues_database_test, opens_in_wal_mode_with_full_sync_and_no_busy_timeout) {
    orv::test::temp_dir dir;
    const auto path = dir.file("queues.db");
    {
        // An existing file in the default rollback journal mode is switched over too.
        SQLite::Database plain(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        plain.exec("CREATE TABLE t (x);");
        ASSERT_EQ(plain.execAndGet("PRAGMA journal_mode;").getString(), "delete");
    }
    auto db = open_queues_database(path);
    EXPECT_EQ(db.execAndGet("PRAGMA journal_mode;").getString(), "wal");
    EXPECT_EQ(db.execAndGet("PRAGMA synchronous;").getInt(), 2); // FULL
    EXPECT_EQ(db.execAndGet("PRAGMA busy_timeout;").getInt(), 0);
    EXPECT_TRUE(db.tableExists("t"));
}

TEST(queues_database_test, open_failures_throw) {
    orv::test::temp_dir dir;
    const std::string not_a_database = dir.write("garbage.db", std::string(4096, 'x'));
    for (const auto& path : {dir.file("missing/queues.db"), not_a_database}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(open_queues_database(path), SQLite::Exception);
    }
}

TEST(queues_database_test, process_wide_handle_ignores_later_paths) {
    static orv::test::temp_dir dir; // outlives the handle, which stays open until exit
    auto& first = orv::sqlite::get_queues_database(dir.file("first.db"));
    auto& second = orv::sqlite::get_queues_database(dir.file("second.db"));
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(access(dir.file("first.db").c_str(), F_OK), 0);
    EXPECT_NE(access(dir.file("second.db").c_str(), F_OK), 0);
    EXPECT_EQ(first.lock()->getFilename(), dir.file("first.db"));
}

TEST(synchronized_disk_queue_test, shares_the_database_mutex) {
    orv::test::temp_dir dir;
    synchronized_database db{open_queues_database(dir.file("queues.db"))};
    auto events = make_synchronized_disk_queue("events", db);
    auto updates = make_synchronized_disk_queue("updates", db);
    EXPECT_EQ(events.get_mutex_ptr(), db.get_mutex_ptr());
    EXPECT_EQ(updates.get_mutex_ptr(), db.get_mutex_ptr());
    EXPECT_TRUE(db.lock()->tableExists("events"));
    // Whether another thread could take the database mutex right now.
    const auto database_free = [&] {
        bool free = false;
        std::thread([&] {
            free = db.get_mutex_ptr()->try_lock();
            if (free) {
                db.get_mutex_ptr()->unlock();
            }
        }).join();
        return free;
    };
    {
        auto guard = events.lock();
        guard->add("e");
        EXPECT_FALSE(database_free());
    }
    EXPECT_TRUE(database_free());
    EXPECT_EQ(updates->get_name(), "updates");
    EXPECT_EQ(events->pop(), "e");
}

TEST(synchronized_disk_queue_test, producer_and_batch_consumer_lose_duplicate_and_reorder_nothing) {
    orv::test::temp_dir dir;
    synchronized_database db{open_queues_database(dir.file("queues.db"))};
    // Locking and ordering are under test here, not the disk: skip the fsyncs.
    db.lock()->exec("PRAGMA synchronous=OFF;");
    auto producer_queue = make_synchronized_disk_queue("events", db);
    auto consumer_queue = make_synchronized_disk_queue("events", db);
    constexpr int count = 3000;

    std::atomic<bool> produced{false};
    std::thread producer([&] {
        for (int i = 0; i < count; ++i) {
            producer_queue->add("value-" + std::to_string(i));
        }
        produced = true;
    });

    strings received;
    for (;;) {
        const bool finished = produced.load();
        strings batch;
        {
            auto guard = consumer_queue.lock();
            batch = guard->get_first_values(37);
            guard->delete_first_values(static_cast<int>(batch.size()));
        }
        received.insert(received.end(), batch.begin(), batch.end());
        if (batch.empty()) {
            if (finished) {
                break;
            }
            std::this_thread::yield();
        }
    }
    producer.join();

    ASSERT_EQ(received.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(received[i], "value-" + std::to_string(i));
    }
    EXPECT_FALSE(consumer_queue->has_values());
}

std::string durable_value(int round, int i) {
    return "round " + std::to_string(round) + " value " + std::to_string(i) + " '" + std::string(280, 'p') + "'";
}

// The child adds values until it is killed and reports, through the pipe, every
// add call that has returned.
[[noreturn]] void add_until_killed(const std::string& path, int round, int report_fd) {
    try {
        auto db = open_queues_database(path);
        orv::context::disk_queue_impl queue("events", db);
        for (int i = 0;; ++i) {
            queue.add(durable_value(round, i));
            if (write(report_fd, &i, sizeof i) != static_cast<ssize_t>(sizeof i)) {
                _exit(2);
            }
        }
    } catch (...) {
        _exit(1);
    }
}

TEST(disk_queue_durability_test, values_added_before_sigkill_survive_in_order) {
    orv::test::temp_dir dir;
    const auto path = dir.file("queues.db");
    const auto seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    strings expected;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            add_until_killed(path, round, fds[1]);
        }
        close(fds[1]);

        // Kill at a random point of the stream of adds, most likely inside one.
        const int kill_after = std::uniform_int_distribution<int>(1, 150)(random);
        int acknowledged = 0;
        int i;
        ssize_t got;
        while ((got = read(fds[0], &i, sizeof i)) == static_cast<ssize_t>(sizeof i) || (got < 0 && errno == EINTR)) {
            if (got < 0) {
                continue;
            }
            ASSERT_EQ(i, acknowledged);
            if (++acknowledged == kill_after) {
                kill(child, SIGKILL);
            }
        }
        close(fds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child status " << status;
        ASSERT_GE(acknowledged, kill_after);

        auto db = open_queues_database(path);
        EXPECT_EQ(db.execAndGet("PRAGMA integrity_check;").getString(), "ok");
        orv::context::disk_queue_impl queue("events", db);
        const auto stored = queue.get_first_values(1000000);
        for (int k = 0; k < acknowledged; ++k) {
            expected.push_back(durable_value(round, k));
        }
        // An add whose commit was done but whose report was not may have survived too.
        ASSERT_GE(stored.size(), expected.size());
        ASSERT_LE(stored.size(), expected.size() + 1);
        ASSERT_EQ(strings(stored.begin(), stored.begin() + static_cast<long>(expected.size())), expected);
        if (stored.size() > expected.size()) {
            EXPECT_EQ(stored.back(), durable_value(round, acknowledged));
            expected.push_back(stored.back());
        }
    }
}

} // namespace
