#include "context/tdoa_settings.h"

#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using fields = std::map<std::string, std::string>;

class tdoa_settings_test : public records_test {
protected:
    orv::context::tdoa_settings settings(const std::string& uid) {
        return ctx().get_tdoa_settings().get(uid);
    }
};

TEST_F(tdoa_settings_test, create_registers_without_writing_fields_or_checking_the_project) {
    creator().create_tdoa_settings("p1");
    EXPECT_EQ(raw_keys(server()), strings{"tdoa_settings:set"});
    EXPECT_EQ(raw_members(server(), "tdoa_settings:set"), strings{"p1"});

    auto s = settings("p1");
    EXPECT_EQ(s.get_uid(), "p1");
    EXPECT_EQ(s.get_project_uid(), "p1");
    EXPECT_FALSE(s.get_autostart());
    EXPECT_FALSE(s.get_configured_state());
    EXPECT_EQ(s.get_active_schedule(), "");
}

TEST_F(tdoa_settings_test, fields_are_stored_as_text) {
    auto s = creator().create_tdoa_settings("p1");
    s.set_autostart(true);
    s.set_configured_state(true);
    s.set_active_schedule("sched-7");
    EXPECT_EQ(raw_fields(server(), "tdoa_settings:p1:data"),
              (fields{{"autostart", "true"}, {"configured_state", "true"},
                      {"active_schedule", "sched-7"}}));
    EXPECT_TRUE(settings("p1").get_autostart());
    EXPECT_TRUE(settings("p1").get_configured_state());
    EXPECT_EQ(settings("p1").get_active_schedule(), "sched-7");

    s.set_autostart(false);
    EXPECT_EQ(raw_field(server(), "tdoa_settings:p1:data", "autostart"), "false");
}

TEST_F(tdoa_settings_test, masters_form_a_set_visited_in_ascending_order) {
    auto s = creator().create_tdoa_settings("p1");
    s.add_master("a2");
    s.add_master("a1");
    s.add_master("a2");
    EXPECT_EQ(raw_members(server(), "tdoa_settings:p1:masters"), (strings{"a1", "a2"}));
    EXPECT_TRUE(settings("p1").has_master("a1"));
    EXPECT_FALSE(settings("p1").has_master("a3"));

    strings seen;
    EXPECT_TRUE(settings("p1").for_each_master([&](const std::string& uid) {
        seen.push_back(uid);
        return true;
    }));
    EXPECT_EQ(seen, (strings{"a1", "a2"}));
    seen.clear();
    EXPECT_FALSE(settings("p1").for_each_master([&](const std::string& uid) {
        seen.push_back(uid);
        return false;
    }));
    EXPECT_EQ(seen, strings{"a1"});

    s.clear_masters();
    EXPECT_FALSE(raw_exists(server(), "tdoa_settings:p1:masters"));
    EXPECT_FALSE(settings("p1").has_master("a1"));
}

TEST_F(tdoa_settings_test, remove_unregisters_and_deletes_its_keys) {
    auto s = creator().create_tdoa_settings("p1");
    creator().create_tdoa_settings("p2");
    s.set_autostart(true);
    s.add_master("a1");

    ctx().get_tdoa_settings().remove("p1");
    EXPECT_EQ(raw_keys(server()), strings{"tdoa_settings:set"});
    EXPECT_EQ(raw_members(server(), "tdoa_settings:set"), strings{"p2"});
    expect_exception([&] { settings("p1"); },
                     "The orv::context::tdoa_settings with id 'p1' does not exist");
}

} // namespace
} // namespace orv::test
