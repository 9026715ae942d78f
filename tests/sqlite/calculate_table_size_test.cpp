#include "sqlite/calculate_table_size.h"
#include "sqlite/disk_queue_impl.h"
#include "support/temp_dir.h"

#include <SQLiteCpp/Transaction.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using orv::context::make_synchronized_disk_queue;
using orv::sqlite::calculate_table_size;

TEST(calculate_table_size_test, missing_table_is_zero) {
    orv::test::temp_dir dir;
    orv::sqlite::synchronized_database db{orv::sqlite::open_queues_database(dir.file("queues.db"))};
    EXPECT_EQ(calculate_table_size("events", db).value, 0);
    make_synchronized_disk_queue("events", db);
    EXPECT_EQ(calculate_table_size("updates", db).value, 0);
    EXPECT_EQ(calculate_table_size("even", db).value, 0);
}

TEST(calculate_table_size_test, follows_the_rows_of_its_own_table) {
    orv::test::temp_dir dir;
    const auto path = dir.file("queues.db");
    orv::sqlite::synchronized_database db{orv::sqlite::open_queues_database(path)};
    auto events = make_synchronized_disk_queue("events", db);
    auto updates = make_synchronized_disk_queue("a\"b", db);

    const int empty = calculate_table_size("events", db).value;
    EXPECT_GT(empty, 0); // the root page
    EXPECT_LT(empty, 100);

    const std::string value(1000, 'v');
    {
        // One transaction: 500 separate fsyncs would only make the test slow.
        auto guard = db.lock();
        SQLite::Transaction transaction(*guard);
        orv::context::disk_queue_impl queue("events", *guard);
        for (int i = 0; i < 500; ++i) {
            queue.add(value);
        }
        transaction.commit();
    }
    updates->add("u");
    const int full = calculate_table_size("events", db).value;
    EXPECT_GE(full, 500 * 1000);
    EXPECT_LT(full, 600 * 1000);
    EXPECT_LT(calculate_table_size("a\"b", db).value, 100);

    const auto file_bytes = [&] {
        return std::filesystem::file_size(path) + std::filesystem::file_size(path + "-wal");
    };
    const auto file_before = file_bytes();
    events->delete_first_values(450);
    const int after = calculate_table_size("events", db).value;
    EXPECT_LT(after, 100 * 1000);
    EXPECT_GE(after, 50 * 1000);
    EXPECT_GE(file_bytes(), file_before); // the file does not shrink; the used bytes do

    events->clear();
    EXPECT_LT(calculate_table_size("events", db).value, 100);
}

} // namespace
