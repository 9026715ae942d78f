#include "context/trackable.h"

#include "context/node.h"
#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using fields = std::map<std::string, std::string>;

const std::string trackable_unregistered =
    "_uid.empty() || m_context.get_trackables().is_exists( _uid )";

class trackable_test : public records_test {
protected:
    orv::context::trackable create(const std::string& uid) {
        return creator().create_trackable(uid, "Forklift " + uid, "p1", "c1");
    }
    std::string trackable_mac(const std::string& uid) {
        return raw_field(server(), "trackables:" + uid + ":data", "mac");
    }
    std::string node_trackable(const std::string& mac) {
        return raw_field(server(), "nodes:" + mac + ":data", "trackable_uid");
    }
};

TEST_F(trackable_test, create_writes_fields_and_registers_without_a_parent_check) {
    create("t1"); // no company or project is registered

    EXPECT_EQ(raw_fields(server(), "trackables:t1:data"),
              (fields{{"name", "Forklift t1"}, {"mac", ""}, {"sublocation_uid", ""},
                      {"project_uid", "p1"}, {"company_uid", "c1"}}));
    EXPECT_EQ(raw_members(server(), "trackables:set"), strings{"t1"});

    auto t = ctx().get_trackables().get("t1");
    EXPECT_EQ(t.get_uid(), "t1");
    EXPECT_EQ(t.get_name(), "Forklift t1");
    EXPECT_EQ(t.get_mac(), boost::none);
    EXPECT_EQ(t.get_sublocation_uid(), boost::none);
    EXPECT_EQ(t.get_project_uid(), "p1");
    EXPECT_EQ(t.get_company_uid(), "c1");
}

TEST_F(trackable_test, sublocation_is_an_optional_text) {
    struct case_t {
        boost::optional<std::string> value;
        std::string stored;
    };
    const case_t cases[] = {{std::string("s1"), "s1 "}, {std::string(""), " "}, {boost::none, ""}};
    auto t = create("t1");
    for (const auto& c : cases) {
        t.set_sublocation_uid(c.value);
        EXPECT_EQ(raw_field(server(), "trackables:t1:data", "sublocation_uid"), c.stored);
        EXPECT_EQ(ctx().get_trackables().get("t1").get_sublocation_uid(), c.value);
    }
}

TEST_F(trackable_test, plain_setters_write_their_fields) {
    auto t = create("t1");
    t.set_name("Cart");
    t.set_project_uid("p2");
    t.set_company_uid("c2");
    auto stored = raw_fields(server(), "trackables:t1:data");
    EXPECT_EQ(stored["name"], "Cart");
    EXPECT_EQ(stored["project_uid"], "p2");
    EXPECT_EQ(stored["company_uid"], "c2");
}

TEST_F(trackable_test, set_mac_binds_and_unbinds_on_both_sides) {
    creator().create_node("m1");
    creator().create_node("m2");
    auto t = create("t1");

    t.set_mac(std::string("m1"));
    EXPECT_EQ(trackable_mac("t1"), "m1");
    EXPECT_EQ(node_trackable("m1"), "t1");
    EXPECT_EQ(ctx().get_trackables().get("t1").get_mac(), std::string("m1"));

    t.set_mac(std::string("m2"));
    EXPECT_EQ(node_trackable("m1"), "");
    EXPECT_EQ(node_trackable("m2"), "t1");

    t.set_mac(std::string("zz:unregistered"));
    EXPECT_EQ(trackable_mac("t1"), "");
    EXPECT_EQ(node_trackable("m2"), "");

    t.set_mac(std::string("m1"));
    t.set_mac(boost::none);
    EXPECT_EQ(trackable_mac("t1"), "");
    EXPECT_EQ(node_trackable("m1"), "");
    EXPECT_EQ(t.get_mac(), boost::none);
}

TEST_F(trackable_test, binding_a_node_held_by_another_trackable_takes_it_over) {
    creator().create_node("m1");
    auto t1 = create("t1");
    auto t2 = create("t2");
    t1.set_mac(std::string("m1"));

    t2.set_mac(std::string("m1"));
    EXPECT_EQ(node_trackable("m1"), "t2");
    EXPECT_EQ(trackable_mac("t1"), "");

    ctx().get_trackables().remove("t1");
    EXPECT_EQ(node_trackable("m1"), "t2");
    EXPECT_EQ(trackable_mac("t2"), "m1");
}

TEST_F(trackable_test, binding_from_an_unregistered_trackable_fails_in_the_node_check) {
    creator().create_node("m1");
    orv::context::trackable ghost("ghost", redis_context(), ctx());
    expect_check_failed([&] { ghost.set_mac(std::string("m1")); }, trackable_unregistered);
    EXPECT_EQ(node_trackable("m1"), "");
    EXPECT_FALSE(raw_exists(server(), "trackables:ghost:data"));
}

TEST_F(trackable_test, removing_a_bound_node_unbinds_the_trackable) {
    creator().create_node("m1");
    create("t1").set_mac(std::string("m1"));

    ctx().get_nodes().remove("m1");
    EXPECT_TRUE(ctx().get_trackables().is_exists("t1"));
    EXPECT_EQ(trackable_mac("t1"), "");
    EXPECT_FALSE(raw_exists(server(), "nodes:m1:data"));
}

TEST_F(trackable_test, remove_unregisters_releases_and_deletes) {
    creator().create_node("m1");
    create("t2");
    create("t1").set_mac(std::string("m1"));

    ctx().get_trackables().remove("t1");
    EXPECT_EQ(raw_members(server(), "trackables:set"), strings{"t2"});
    EXPECT_EQ(node_trackable("m1"), "");
    EXPECT_FALSE(raw_exists(server(), "trackables:t1:data"));
    expect_exception([&] { ctx().get_trackables().get("t1"); },
                     "The orv::context::trackable with id 't1' does not exist");
}

} // namespace
} // namespace orv::test
