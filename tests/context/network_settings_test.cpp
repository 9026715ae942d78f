#include "context/network_settings.h"

#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using orv::utils::timestamp;

class network_settings_test : public records_test {
protected:
    orv::context::network_settings settings() { return ctx().get_network_settings().get("p1"); }
    std::string stored(const std::string& field) {
        return raw_field(server(), "network_settings:p1:data", field);
    }
};

TEST_F(network_settings_test, create_registers_without_writing_fields) {
    auto s = creator().create_network_settings("p1");
    EXPECT_EQ(s.get_uid(), "p1");
    EXPECT_EQ(s.get_project_uid(), "p1");
    EXPECT_EQ(raw_keys(server()), strings{"network_settings:set"});
    EXPECT_EQ(raw_members(server(), "network_settings:set"), strings{"p1"});

    EXPECT_FALSE(settings().get_enabled());
    EXPECT_EQ(settings().get_enabled_at(), boost::none);
    EXPECT_EQ(settings().get_duration(), boost::none);
}

TEST_F(network_settings_test, enabled_is_a_flag) {
    creator().create_network_settings("p1").set_enabled(true);
    EXPECT_EQ(stored("enabled"), "true");
    EXPECT_TRUE(settings().get_enabled());
}

TEST_F(network_settings_test, duration_keeps_zero_apart_from_absent) {
    struct case_t {
        boost::optional<int> value;
        std::string text;
    };
    const case_t cases[] = {{0, "0 "}, {600, "600 "}, {-5, "-5 "}, {boost::none, ""}};
    auto s = creator().create_network_settings("p1");
    for (const auto& c : cases) {
        s.set_duration(c.value);
        EXPECT_EQ(stored("duration"), c.text);
        EXPECT_EQ(settings().get_duration(), c.value);
    }
}

TEST_F(network_settings_test, enabled_at_is_an_optional_serialized_time) {
    auto s = creator().create_network_settings("p1");
    const auto at = timestamp::from_milliseconds(1700000000042);
    s.set_enabled_at(at);
    const auto text = stored("enabled_at");
    EXPECT_EQ(text.rfind("1700000000 42 (", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), ") ");
    EXPECT_EQ(settings().get_enabled_at(), at);

    s.set_enabled_at(timestamp()); // the epoch is a present value
    EXPECT_EQ(stored("enabled_at").rfind("0 0 (", 0), 0u);
    EXPECT_EQ(settings().get_enabled_at(), timestamp());

    s.set_enabled_at(boost::none);
    EXPECT_EQ(stored("enabled_at"), "");
    EXPECT_EQ(settings().get_enabled_at(), boost::none);
}

TEST_F(network_settings_test, remove_unregisters_and_deletes_the_data) {
    auto s = creator().create_network_settings("p1");
    s.set_enabled(true);
    ctx().get_network_settings().remove("p1");
    EXPECT_EQ(raw_keys(server()), strings{});
    expect_exception([&] { settings(); },
                     "The orv::context::network_settings with id 'p1' does not exist");
}

} // namespace
} // namespace orv::test
