#include "support/context_fixture.h"

#include <SQLiteCpp/Statement.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

namespace orv::test {
namespace {

using ::testing::ElementsAre;
using calls = std::map<std::string, long>;

class accessor_impl_test : public context_fixture {
protected:
    static std::string describe(const calls& counted) {
        std::string text;
        for (const auto& [name, count] : counted) {
            text += (text.empty() ? "" : " ") + name + "=" + std::to_string(count);
        }
        return text;
    }
};

TEST_F(accessor_impl_test, disk_queues_share_the_database_and_its_mutex) {
    auto writer = context().get_disk_queue("updates");
    auto reader = context().get_disk_queue("updates");
    auto other = context().get_disk_queue("events");
    EXPECT_EQ(writer.get_mutex_ptr(), queues_db().get_mutex_ptr());
    EXPECT_EQ(reader.get_mutex_ptr(), queues_db().get_mutex_ptr());

    writer->add("first");
    writer->add("it's second");
    other->add("event");
    EXPECT_EQ(reader->get_name(), "updates");
    EXPECT_THAT(reader->get_first_values(5), ElementsAre("first", "it's second"));
    EXPECT_EQ(other->pop(), "event");
    EXPECT_FALSE(other->has_values());

    auto database = queues_db().lock();
    SQLite::Statement tables(*database, "SELECT name FROM sqlite_master WHERE type='table' AND name IN "
                                        "('updates', 'events') ORDER BY name;");
    std::vector<std::string> names;
    while (tables.executeStep()) {
        names.push_back(tables.getColumn(0).getString());
    }
    EXPECT_THAT(names, ElementsAre("events", "updates"));
}

TEST_F(accessor_impl_test, constructing_opens_one_handle_per_singleton_and_repository) {
    const auto counted = count_commands([this] { reconnect(); });
    // 3 singleton hashes + 12 id sets; empty keys are scanned on opening.
    EXPECT_EQ(counted.at("type"), 15);
    std::cout << "[ figures ] accessor construction on an empty database: " << describe(counted) << "\n";
}

// Building a record object costs one TYPE per opened handle; the first handle
// of a non-empty key on a connection also scans it, later ones are served
// from the connection's cache.
TEST_F(accessor_impl_test, building_records_costs_one_type_request_per_handle) {
    auto company = creator().create_company("c1");
    creator().create_project("p1", "c1");
    creator().create_location("l1", "p1");
    creator().create_sublocation("s1", "l1");
    company.add_project("p0");
    context().get_projects().get("p1").add_location("l0");
    context().get_locations().get("l1").add_sublocation("s0");
    context().get_sublocations().get("s1").add_anchor("a0");
    creator().create_module("m1", "n", "s", utils::timestamp(), "v");
    creator().create_shm_status("a0").add_event(events::ANCHOR_REBOOT);

    struct kind {
        std::string name;
        long handles;
        calls again;
        std::function<void(context::accessor&)> build;
    };
    // A company's data hash holds no fields, so the key never exists and every
    // new handle of it scans again.
    const std::vector<kind> kinds = {
        {"company", 2, {{"type", 2}, {"hscan", 1}}, [](context::accessor& c) { c.get_companies().get("c1"); }},
        {"project", 2, {{"type", 2}}, [](context::accessor& c) { c.get_projects().get("p1"); }},
        {"location", 2, {{"type", 2}}, [](context::accessor& c) { c.get_locations().get("l1"); }},
        {"sublocation", 2, {{"type", 2}}, [](context::accessor& c) { c.get_sublocations().get("s1"); }},
        {"module", 1, {{"type", 1}}, [](context::accessor& c) { c.get_modules().get("m1"); }},
        {"shm_status", 1, {{"type", 1}}, [](context::accessor& c) { c.get_shm_statuses().get("a0"); }},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        reconnect();
        const auto first = count_commands([&] { k.build(context()); });
        const auto again = count_commands([&] { k.build(context()); });
        EXPECT_EQ(first.at("type"), k.handles);
        EXPECT_EQ(again, k.again);
        std::cout << "[ figures ] build " << k.name << ": first on a connection " << describe(first)
                  << "; again " << describe(again) << "\n";
    }
}

// Figures for the report: what creating and removing each kind costs on a
// warm connection. The checks pin the writes each operation must make.
TEST_F(accessor_impl_test, create_and_remove_costs) {
    creator().create_company("c0");
    creator().create_project("p0", "c0");
    creator().create_location("l0", "p0");
    creator().create_sublocation("s0", "l0");

    struct step {
        std::string name;
        long writes;
        std::function<void()> run;
    };
    const std::vector<step> steps = {
        {"create company", 1, [&] { creator().create_company("c1"); }},
        {"create project", 4, [&] { creator().create_project("p1", "c1"); }},
        {"create location", 4, [&] { creator().create_location("l1", "p1"); }},
        {"create sublocation", 4, [&] { creator().create_sublocation("s1", "l1"); }},
        {"create module", 5, [&] { creator().create_module("m1", "n", "s", utils::timestamp(), "v"); }},
        {"create shm_status", 1, [&] { creator().create_shm_status("a1"); }},
        {"move sublocation", 3, [&] { context().get_sublocations().get("s1").set_location_uid("l0"); }},
        {"remove sublocation", 4, [&] { context().get_sublocations().remove("s1"); }},
        {"remove location", 4, [&] { context().get_locations().remove("l1"); }},
        {"remove project", 4, [&] { context().get_projects().remove("p1"); }},
        {"remove company", 3, [&] { context().get_companies().remove("c1"); }},
        {"remove module", 2, [&] { context().get_modules().remove("m1"); }},
        {"remove shm_status", 2, [&] { context().get_shm_statuses().remove("a1"); }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const auto counted = count_commands(s.run);
        long writes = 0;
        for (const auto* name : {"hset", "sadd", "srem", "del", "hdel"}) {
            writes += counted.count(name) ? counted.at(name) : 0;
        }
        EXPECT_EQ(writes, s.writes);
        std::cout << "[ figures ] " << s.name << ": " << total(counted) << " commands (" << describe(counted)
                  << ")\n";
    }
}

} // namespace
} // namespace orv::test
