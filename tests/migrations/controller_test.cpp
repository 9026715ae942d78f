#include "migrations/controller.h"

#include "redis/context_impl.h"
#include "sqlite/queue.h"
#include "sqlite/queues_database.h"
#include "support/redis_server.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"

#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using strings = std::vector<std::string>;

orv::test::redis_server& shared_server() {
    static orv::test::redis_server server;
    return server;
}

class controller_test : public ::testing::Test {
public:
    void SetUp() override { server().flushall(); }

    static orv::test::redis_server& server() { return shared_server(); }
    std::string redis(const char* format, const std::string& arg = "") { return server().command(format, arg.c_str()); }

    void migrate() { orv::migrations::controller(m_redis, m_db).migrate(); }

    // The whole Redis database, key by key, as "type: contents".
    std::map<std::string, std::string> redis_dump() {
        std::map<std::string, std::string> dump;
        const auto keys = server().command("KEYS *");
        size_t start = 0;
        while (start < keys.size()) {
            auto end = keys.find('\n', start);
            if (end == std::string::npos) {
                end = keys.size();
            }
            const auto key = keys.substr(start, end - start);
            const auto type = redis("TYPE %s", key);
            std::string contents;
            if (type == "string") {
                contents = redis("GET %s", key);
            } else if (type == "list") {
                contents = redis("LRANGE %s 0 -1", key);
            } else if (type == "set") {
                contents = redis("SORT %s ALPHA", key);
            } else if (type == "hash") {
                contents = redis("HGETALL %s", key);
            }
            dump[key] = type + ": " + contents;
            start = end + 1;
        }
        return dump;
    }

    // The "events" disk queue, oldest first; empty when its table does not exist.
    strings events() {
        auto db = m_db.lock();
        if (!db->tableExists("events")) {
            return {};
        }
        return orv::sqlite::queue("events", *db).get_first_values(1000);
    }

    // Rows of the orv table, values as SQLite stores them ("integer 2").
    std::map<std::string, std::string> orv_rows() {
        auto db = m_db.lock();
        std::map<std::string, std::string> rows;
        if (!db->tableExists("orv")) {
            return rows;
        }
        SQLite::Statement select(*db, "SELECT key, typeof(value), value FROM orv;");
        while (select.executeStep()) {
            rows[select.getColumn(0).getString()] = select.getColumn(1).getString() + " " + select.getColumn(2).getString();
        }
        return rows;
    }

    void add_legacy_queues(const strings& events) {
        for (const auto& event : events) {
            redis("RPUSH queues:events %s", event);
        }
        redis("RPUSH queues:notifications %s", "n1");
        redis("RPUSH queues:snapshots %s", "s1");
        redis("SADD queues:set %s", "queues:events");
    }

    const std::map<std::string, std::string> m_stamped = {{"name", "string: zenk-monitor-agent"},
                                                          {"version", "string: 2"}};
    const std::map<std::string, std::string> m_orv_version = {{"version", "integer 2"}};

    std::atomic<bool> m_stop{false};
    orv::redis::context_impl m_redis{server().host(), server().port(), 0, "", m_stop};
    orv::test::temp_dir m_dir;
    orv::sqlite::synchronized_database m_db{orv::sqlite::open_queues_database(m_dir.file("queues.db"))};
};

TEST_F(controller_test, unversioned_database_is_discarded_and_stamped) {
    struct unversioned {
        const char* name;
        void (*fill)(controller_test&);
    };
    const unversioned cases[] = {
        {"empty", [](controller_test&) {}},
        {"data without version",
         [](controller_test& t) {
             t.redis("HSET anchor:1 name %s", "a");
             t.add_legacy_queues({"e1"});
         }},
        {"version holding a list",
         [](controller_test& t) {
             t.redis("RPUSH version %s", "1");
             t.add_legacy_queues({"e1"});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server().flushall();
        c.fill(*this);
        migrate();
        EXPECT_EQ(redis_dump(), m_stamped);
        EXPECT_EQ(orv_rows(), m_orv_version);
        EXPECT_EQ(events(), strings{}); // discarded, not moved
    }
}

TEST_F(controller_test, version_1_moves_legacy_events_into_the_disk_queue) {
    {
        auto db = m_db.lock();
        orv::sqlite::queue("events", *db).add("already queued");
    }
    redis("SET version %s", "1");
    redis("HSET anchor:1 name %s", "a");
    add_legacy_queues({"{\"id\":1}", "it's the second", "{\"id\":3}"});

    migrate();

    EXPECT_EQ(events(), (strings{"already queued", "{\"id\":1}", "it's the second", "{\"id\":3}"}));
    auto expected = m_stamped;
    expected["anchor:1"] = "hash: name\na"; // a versioned database keeps its data
    EXPECT_EQ(redis_dump(), expected);
    EXPECT_EQ(orv_rows(), m_orv_version);

    // A second run changes nothing.
    migrate();
    EXPECT_EQ(events(), (strings{"already queued", "{\"id\":1}", "it's the second", "{\"id\":3}"}));
    EXPECT_EQ(redis_dump(), expected);
    EXPECT_EQ(orv_rows(), m_orv_version);
}

TEST_F(controller_test, stored_version_selects_the_steps) {
    struct versioned {
        const char* version;
        bool moves;
    };
    for (const auto& c : {versioned{"0", true}, versioned{"1", true}, versioned{"2", false}, versioned{"3", false}}) {
        SCOPED_TRACE(c.version);
        server().flushall();
        m_db.lock()->exec("DROP TABLE IF EXISTS events;");
        redis("SET version %s", c.version);
        add_legacy_queues({"e1", "e2"});

        migrate();

        EXPECT_EQ(redis("GET version"), "2"); // a newer version is stamped back
        EXPECT_EQ(redis("GET name"), "zenk-monitor-agent");
        EXPECT_EQ(orv_rows(), m_orv_version);
        if (c.moves) {
            EXPECT_EQ(events(), (strings{"e1", "e2"}));
            EXPECT_EQ(redis("EXISTS queues:events queues:notifications queues:snapshots queues:set"), "0");
        } else {
            EXPECT_EQ(events(), strings{});
            EXPECT_EQ(redis("LRANGE queues:events 0 -1"), "e1\ne2");
        }
    }
}

TEST_F(controller_test, non_numeric_version_fails_and_changes_nothing) {
    redis("SET version %s", "two");
    add_legacy_queues({"e1"});
    const auto before = redis_dump();
    EXPECT_THROW(migrate(), std::invalid_argument);
    EXPECT_EQ(redis_dump(), before);
    EXPECT_EQ(orv_rows(), (std::map<std::string, std::string>{}));
}

TEST_F(controller_test, failing_append_rolls_back_and_keeps_the_redis_queues) {
    {
        // A real SQLite failure in the middle of the appends.
        auto db = m_db.lock();
        orv::sqlite::queue("events", *db);
        db->exec(R"(CREATE TRIGGER poison BEFORE INSERT ON events WHEN NEW.value = 'poison'
                    BEGIN SELECT RAISE(ABORT, 'poisoned value'); END;)");
    }
    redis("SET version %s", "1");
    add_legacy_queues({"e1", "poison", "e3"});
    const auto before = redis_dump();

    EXPECT_THROW(migrate(), SQLite::Exception);
    EXPECT_EQ(events(), strings{});
    EXPECT_EQ(redis_dump(), before);

    // Once the fault is gone the next start moves everything.
    m_db.lock()->exec("DROP TRIGGER poison;");
    migrate();
    EXPECT_EQ(events(), (strings{"e1", "poison", "e3"}));
    EXPECT_EQ(redis_dump(), m_stamped);
}

TEST_F(controller_test, rerun_after_failed_cleanup_does_not_append_twice) {
    redis("SET version %s", "1");
    add_legacy_queues({"e1", "e2", "e3"});
    // The moved events are committed, then deleting the legacy keys fails.
    redis("ACL SETUSER default -del");
    EXPECT_THROW(migrate(), orv::exception);
    redis("ACL SETUSER default +del");
    EXPECT_EQ(events(), (strings{"e1", "e2", "e3"}));
    EXPECT_EQ(redis("GET version"), "1");

    migrate();
    EXPECT_EQ(events(), (strings{"e1", "e2", "e3"}));
    EXPECT_EQ(redis_dump(), m_stamped);
    EXPECT_EQ(orv_rows(), m_orv_version);
}

} // namespace
