#include "sqlite/disk_queue_impl.h"
#include "sqlite/queue.h"
#include "sqlite/queues_database.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"

#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using orv::sqlite::queue;
using strings = std::vector<std::string>;

class queue_test : public ::testing::Test {
protected:
    orv::test::temp_dir m_dir;
    SQLite::Database m_db = orv::sqlite::open_queues_database(m_dir.file("queues.db"));

    // All values of a table, by "index", straight from SQLite.
    strings raw_values(const std::string& table) {
        SQLite::Statement select(m_db, "SELECT \"value\" FROM \"" + table + "\" ORDER BY \"index\";");
        strings values;
        while (select.executeStep()) {
            values.push_back(select.getColumn(0).getString());
        }
        return values;
    }
    long long max_index(const std::string& table) {
        return m_db.execAndGet("SELECT MAX(\"index\") FROM \"" + table + "\";").getInt64();
    }
};

TEST_F(queue_test, values_round_trip_unchanged) {
    const strings values = {
        "it's",
        "''",
        "'); DELETE FROM \"q\"; --",
        "",
        "double \" quote",
        "multi\nline\ttext",
        "\xc3\xbc\xe2\x82\xac unicode",
        R"({"type":"event","text":"anchor's reboot"})",
    };
    queue q("q", m_db);
    for (const auto& value : values) {
        q.add(value);
    }
    EXPECT_EQ(raw_values("q"), values);
    EXPECT_EQ(q.get_first_values(100), values);
    for (const auto& value : values) {
        EXPECT_EQ(q.pop(), value);
    }
    EXPECT_FALSE(q.has_values());
}

TEST_F(queue_test, queue_names_are_table_names_verbatim) {
    for (const std::string name : {"a\"b", "\"", "with space", "it's", "updates"}) {
        SCOPED_TRACE(name);
        queue q(name, m_db);
        EXPECT_EQ(q.get_name(), name);
        SQLite::Statement select(m_db, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?;");
        select.bind(1, name);
        ASSERT_TRUE(select.executeStep());
        EXPECT_EQ(select.getColumn(0).getInt(), 1);

        q.add("x-" + name);
        EXPECT_EQ(q.front(), "x-" + name);
    }
}

TEST_F(queue_test, constructor_keeps_an_existing_table) {
    queue("events", m_db).add("kept");
    queue again("events", m_db);
    EXPECT_EQ(again.front(), "kept");
}

TEST_F(queue_test, queues_are_independent) {
    queue events("events", m_db);
    queue updates("updates", m_db);
    events.add("e1");
    updates.add("u1");
    events.add("e2");
    EXPECT_EQ(events.get_first_values(10), (strings{"e1", "e2"}));
    updates.clear();
    EXPECT_FALSE(updates.has_values());
    EXPECT_EQ(events.pop(), "e1");
}

TEST_F(queue_test, first_values_and_deletes_at_and_past_the_end) {
    queue q("q", m_db);
    EXPECT_TRUE(q.get_first_values(5).empty());
    q.delete_first_values(5); // nothing to delete is fine

    for (const char* value : {"a", "b", "c"}) {
        q.add(value);
    }
    EXPECT_EQ(q.get_first_values(0), strings{});
    EXPECT_EQ(q.get_first_values(2), (strings{"a", "b"}));
    EXPECT_EQ(q.get_first_values(5), (strings{"a", "b", "c"}));

    q.delete_first_values(0);
    EXPECT_EQ(raw_values("q"), (strings{"a", "b", "c"}));
    q.delete_first_values(2);
    EXPECT_EQ(raw_values("q"), strings{"c"});
    q.add("d");
    EXPECT_EQ(q.front(), "c");
    q.delete_first_values(5);
    EXPECT_TRUE(raw_values("q").empty());
    EXPECT_FALSE(q.has_values());
}

TEST_F(queue_test, negative_counts_are_rejected) {
    queue q("q", m_db);
    q.add("a");
    // SQLite would read LIMIT -1 as "everything".
    EXPECT_THROW(q.get_first_values(-1), orv::check_failed_exception);
    EXPECT_THROW(q.delete_first_values(-1), orv::check_failed_exception);
    EXPECT_EQ(raw_values("q"), strings{"a"});
}

TEST_F(queue_test, order_survives_deletes_and_clear) {
    queue q("q", m_db);
    q.add("1");
    q.add("2");
    q.add("3");
    const auto before_clear = max_index("q");
    q.clear();
    EXPECT_FALSE(q.has_values());
    q.add("4");
    // AUTOINCREMENT: an index is never handed out twice, even once its row is gone.
    EXPECT_GT(max_index("q"), before_clear);

    q.pop();
    q.add("5");
    q.add("6");
    EXPECT_EQ(q.get_first_values(10), (strings{"5", "6"}));
}

TEST_F(queue_test, empty_queue_front_and_pop_fail_the_check) {
    queue q("q", m_db);
    EXPECT_FALSE(q.has_values());
    for (auto op : {+[](queue& q) { q.front(); }, +[](queue& q) { q.pop(); }}) {
        try {
            op(q);
            ADD_FAILURE() << "no exception";
        } catch (const orv::check_failed_exception& e) {
            EXPECT_EQ(e.get_condition(), "ret");
        }
    }
    q.add("v");
    EXPECT_TRUE(q.has_values());
}

TEST_F(queue_test, value_with_nul_is_rejected_and_nothing_is_stored) {
    queue q("q", m_db);
    EXPECT_THROW(q.add(std::string("ab\0c", 4)), orv::check_failed_exception);
    EXPECT_FALSE(q.has_values());
}

TEST_F(queue_test, sqlite_errors_surface_from_the_operation) {
    queue q("q", m_db);
    q.add("a");
    m_db.exec("DROP TABLE \"q\";");
    EXPECT_THROW(q.add("b"), SQLite::Exception);
    EXPECT_THROW(q.get_first_values(1), SQLite::Exception);
    EXPECT_THROW(q.has_values(), SQLite::Exception);
}

TEST_F(queue_test, disk_queue_impl_forwards_to_the_table) {
    orv::context::disk_queue_impl impl("events", m_db);
    orv::context::disk_queue& q = impl;
    EXPECT_EQ(q.get_name(), "events");
    EXPECT_FALSE(q.has_values());
    q.add("a'1");
    q.add("a2");
    q.add("a3");
    EXPECT_EQ(raw_values("events"), (strings{"a'1", "a2", "a3"}));
    EXPECT_EQ(q.front(), "a'1");
    EXPECT_EQ(q.pop(), "a'1");
    EXPECT_EQ(q.get_first_values(1), strings{"a2"});
    q.delete_first_values(1);
    EXPECT_EQ(raw_values("events"), strings{"a3"});
    q.clear();
    EXPECT_TRUE(raw_values("events").empty());
}

} // namespace
