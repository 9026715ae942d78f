// The three record kinds with a parent link (project, location, sublocation)
// share one shape; these typed tests run every case against each of them.
#include "support/context_fixture.h"

#include "utils/exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using strings = std::vector<std::string>;

// How to reach, for one kind, its parent and a registered parent.
struct project_kind {
    using type = context::project;
    static constexpr const char* prefix = "projects";
    static constexpr const char* parent_prefix = "companies";
    static constexpr const char* parent_type = "orv::context::company";
    static constexpr const char* parent_field = "company_uid";
    static constexpr const char* children = "locations";
    static constexpr const char* create_condition = "_context.get_companies().is_exists( _company_uid )";

    static void make_parent(context::objects_creator& creator, const std::string& uid) {
        creator.create_company(uid);
    }
    static type create(context::objects_creator& creator, const std::string& uid, const std::string& parent) {
        return creator.create_project(uid, parent);
    }
    static auto& repository(context::accessor& context) { return context.get_projects(); }
    static auto& parents(context::accessor& context) { return context.get_companies(); }
    static std::string parent_of(const type& record) { return record.get_company_uid(); }
    static void move(type& record, const std::string& uid) { record.set_company_uid(uid); }
    static void add_child(type& record, const std::string& uid) { record.add_location(uid); }
    static void remove_child(type& record, const std::string& uid) { record.remove_location(uid); }
    static bool has_child(const type& record, const std::string& uid) { return record.has_location(uid); }
    static bool for_each_child(const type& record, const type::uid_callback& callback) {
        return record.for_each_location(callback);
    }
};

struct location_kind {
    using type = context::location;
    static constexpr const char* prefix = "locations";
    static constexpr const char* parent_prefix = "projects";
    static constexpr const char* parent_type = "orv::context::project";
    static constexpr const char* parent_field = "project_uid";
    static constexpr const char* children = "sublocations";
    static constexpr const char* create_condition = "_context.get_projects().is_exists( _project_uid )";

    static void make_parent(context::objects_creator& creator, const std::string& uid) {
        creator.create_company("root");
        creator.create_project(uid, "root");
    }
    static type create(context::objects_creator& creator, const std::string& uid, const std::string& parent) {
        return creator.create_location(uid, parent);
    }
    static auto& repository(context::accessor& context) { return context.get_locations(); }
    static auto& parents(context::accessor& context) { return context.get_projects(); }
    static std::string parent_of(const type& record) { return record.get_project_uid(); }
    static void move(type& record, const std::string& uid) { record.set_project_uid(uid); }
    static void add_child(type& record, const std::string& uid) { record.add_sublocation(uid); }
    static void remove_child(type& record, const std::string& uid) { record.remove_sublocation(uid); }
    static bool has_child(const type& record, const std::string& uid) { return record.has_sublocation(uid); }
    static bool for_each_child(const type& record, const type::uid_callback& callback) {
        return record.for_each_sublocation(callback);
    }
};

struct sublocation_kind {
    using type = context::sublocation;
    static constexpr const char* prefix = "sublocations";
    static constexpr const char* parent_prefix = "locations";
    static constexpr const char* parent_type = "orv::context::location";
    static constexpr const char* parent_field = "location_uid";
    static constexpr const char* children = "anchors";
    static constexpr const char* create_condition = "_context.get_locations().is_exists( _location_uid )";

    static void make_parent(context::objects_creator& creator, const std::string& uid) {
        creator.create_company("root");
        creator.create_project("root-project", "root");
        creator.create_location(uid, "root-project");
    }
    static type create(context::objects_creator& creator, const std::string& uid, const std::string& parent) {
        return creator.create_sublocation(uid, parent);
    }
    static auto& repository(context::accessor& context) { return context.get_sublocations(); }
    static auto& parents(context::accessor& context) { return context.get_locations(); }
    static std::string parent_of(const type& record) { return record.get_location_uid(); }
    static void move(type& record, const std::string& uid) { record.set_location_uid(uid); }
    static void add_child(type& record, const std::string& uid) { record.add_anchor(uid); }
    static void remove_child(type& record, const std::string& uid) { record.remove_anchor(uid); }
    static bool has_child(const type& record, const std::string& uid) { return record.has_anchor(uid); }
    static bool for_each_child(const type& record, const type::uid_callback& callback) {
        return record.for_each_anchor(callback);
    }
};

template <typename Kind>
class parent_linked_record_test : public context_fixture {
protected:
    static std::string key(const std::string& uid, const std::string& suffix) {
        return std::string(Kind::prefix) + ":" + uid + ":" + suffix;
    }
    static std::string parent_children(const std::string& parent_uid) {
        return std::string(Kind::parent_prefix) + ":" + parent_uid + ":" + Kind::prefix;
    }
    static std::string id_set() { return std::string(Kind::prefix) + ":set"; }
};

using kinds = ::testing::Types<project_kind, location_kind, sublocation_kind>;
TYPED_TEST_SUITE(parent_linked_record_test, kinds);

TYPED_TEST(parent_linked_record_test, create_links_the_parent_and_registers_last) {
    TypeParam::make_parent(this->creator(), "p1");
    auto& recording = this->recording_context();
    this->recorder().clear_writes();

    TypeParam::create(recording.get_objects_creator(), "r1", "p1");

    const std::string data = this->key("r1", "data");
    // The parent field is read (and so created empty) before the move writes it.
    EXPECT_THAT(this->recorder().writes(),
                ElementsAre("HSET " + data + " " + TypeParam::parent_field + " ",
                            "SADD " + this->parent_children("p1") + " r1",
                            "HSET " + data + " " + TypeParam::parent_field + " p1",
                            "SADD " + this->id_set() + " r1"));
    EXPECT_EQ(this->field(data, TypeParam::parent_field), "p1");
    EXPECT_THAT(this->members(this->parent_children("p1")), ElementsAre("r1"));
    EXPECT_THAT(this->members(this->id_set()), ElementsAre("r1"));
    EXPECT_TRUE(TypeParam::repository(this->context()).is_exists("r1"));
}

TYPED_TEST(parent_linked_record_test, create_under_an_unregistered_parent_fails_and_writes_nothing) {
    TypeParam::make_parent(this->creator(), "p1");
    const auto before = this->all_keys();
    // A data hash alone does not make a parent.
    this->redis().command("HSET %s:ghost:data x y", TypeParam::parent_prefix);
    const auto with_ghost = this->all_keys();

    try {
        TypeParam::create(this->creator(), "r1", "ghost");
        FAIL() << "create did not throw";
    } catch (const check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), TypeParam::create_condition);
        EXPECT_THAT(e.get_function(), HasSubstr("::create("));
    }
    EXPECT_EQ(this->all_keys(), with_ghost);
    EXPECT_NE(before, with_ghost);
    EXPECT_FALSE(TypeParam::repository(this->context()).is_exists("r1"));
}

TYPED_TEST(parent_linked_record_test, moving_to_another_parent_relinks_both_child_sets) {
    TypeParam::make_parent(this->creator(), "p1");
    TypeParam::make_parent(this->creator(), "p2");
    auto record = TypeParam::create(this->creator(), "r1", "p1");
    TypeParam::create(this->creator(), "r2", "p1");

    TypeParam::move(record, "p2");

    EXPECT_THAT(this->members(this->parent_children("p1")), ElementsAre("r2"));
    EXPECT_THAT(this->members(this->parent_children("p2")), ElementsAre("r1"));
    EXPECT_EQ(this->field(this->key("r1", "data"), TypeParam::parent_field), "p2");
    EXPECT_EQ(TypeParam::parent_of(record), "p2");

    // Moving to the same parent again keeps the membership.
    TypeParam::move(record, "p2");
    EXPECT_THAT(this->members(this->parent_children("p2")), ElementsAre("r1"));
}

TYPED_TEST(parent_linked_record_test, moving_to_an_unregistered_parent_fails_before_anything_changes) {
    TypeParam::make_parent(this->creator(), "p1");
    auto record = TypeParam::create(this->creator(), "r1", "p1");
    const auto before = this->all_keys();

    try {
        TypeParam::move(record, "nowhere");
        FAIL() << "move did not throw";
    } catch (const exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("The ") + TypeParam::parent_type + " with id 'nowhere' does not exist");
    }
    // The record stays in its parent's child set with its parent field intact.
    EXPECT_THAT(this->members(this->parent_children("p1")), ElementsAre("r1"));
    EXPECT_EQ(this->field(this->key("r1", "data"), TypeParam::parent_field), "p1");
    EXPECT_EQ(this->all_keys(), before);
}

TYPED_TEST(parent_linked_record_test, creating_an_existing_record_moves_it_and_keeps_its_children) {
    TypeParam::make_parent(this->creator(), "p1");
    TypeParam::make_parent(this->creator(), "p2");
    auto record = TypeParam::create(this->creator(), "r1", "p1");
    TypeParam::add_child(record, "c1");

    TypeParam::create(this->creator(), "r1", "p2");

    EXPECT_THAT(this->members(this->parent_children("p1")), ElementsAre());
    EXPECT_THAT(this->members(this->parent_children("p2")), ElementsAre("r1"));
    EXPECT_THAT(this->members(this->key("r1", TypeParam::children)), ElementsAre("c1"));
    EXPECT_THAT(this->members(this->id_set()), ElementsAre("r1"));
}

TYPED_TEST(parent_linked_record_test, remove_unregisters_first_and_does_not_cascade) {
    TypeParam::make_parent(this->creator(), "p1");
    auto record = TypeParam::create(this->creator(), "r1", "p1");
    TypeParam::create(this->creator(), "r2", "p1");
    TypeParam::add_child(record, "c1");
    auto& recording = this->recording_context();
    this->recorder().clear_writes();

    TypeParam::repository(recording).remove("r1");

    EXPECT_THAT(this->recorder().writes(),
                ElementsAre("SREM " + this->id_set() + " r1", "SREM " + this->parent_children("p1") + " r1",
                            "DEL " + this->key("r1", "data"), "DEL " + this->key("r1", TypeParam::children)));
    EXPECT_EQ(this->redis().command("EXISTS %s", this->key("r1", "data").c_str()), "0");
    EXPECT_EQ(this->redis().command("EXISTS %s", this->key("r1", TypeParam::children).c_str()), "0");
    EXPECT_THAT(this->members(this->id_set()), ElementsAre("r2"));
    EXPECT_THAT(this->members(this->parent_children("p1")), ElementsAre("r2"));
    // The parent is untouched.
    EXPECT_TRUE(TypeParam::parents(this->context()).is_exists("p1"));
}

TYPED_TEST(parent_linked_record_test, removing_the_parent_leaves_children_registered_with_their_link) {
    TypeParam::make_parent(this->creator(), "p1");
    TypeParam::create(this->creator(), "r1", "p1");

    TypeParam::parents(this->context()).remove("p1");

    EXPECT_EQ(this->redis().command("EXISTS %s", this->parent_children("p1").c_str()), "0");
    ASSERT_TRUE(TypeParam::repository(this->context()).is_exists("r1"));
    EXPECT_EQ(this->field(this->key("r1", "data"), TypeParam::parent_field), "p1");
}

TYPED_TEST(parent_linked_record_test, a_record_whose_parent_is_gone_can_still_be_moved_and_removed) {
    TypeParam::make_parent(this->creator(), "p1");
    TypeParam::make_parent(this->creator(), "p2");
    TypeParam::create(this->creator(), "r1", "p1");
    TypeParam::create(this->creator(), "r2", "p1");
    TypeParam::parents(this->context()).remove("p1");

    auto moved = TypeParam::repository(this->context()).get("r1");
    TypeParam::move(moved, "p2");
    EXPECT_THAT(this->members(this->parent_children("p2")), ElementsAre("r1"));

    TypeParam::repository(this->context()).remove("r2");
    EXPECT_FALSE(TypeParam::repository(this->context()).is_exists("r2"));
    EXPECT_EQ(this->redis().command("EXISTS %s", this->key("r2", "data").c_str()), "0");
}

TYPED_TEST(parent_linked_record_test, child_set_operations_and_ordered_walk) {
    TypeParam::make_parent(this->creator(), "p1");
    auto record = TypeParam::create(this->creator(), "r1", "p1");

    strings visited;
    EXPECT_TRUE(TypeParam::for_each_child(record, [&](const std::string& uid) {
        visited.push_back(uid);
        return true;
    }));
    EXPECT_TRUE(visited.empty());

    for (const auto* uid : {"b", "C", "a", "b"}) {
        TypeParam::add_child(record, uid);
    }
    EXPECT_THAT(this->members(this->key("r1", TypeParam::children)), ElementsAre("C", "a", "b"));
    EXPECT_TRUE(TypeParam::has_child(record, "a"));
    EXPECT_FALSE(TypeParam::has_child(record, "A"));

    EXPECT_TRUE(TypeParam::for_each_child(record, [&](const std::string& uid) {
        visited.push_back(uid);
        return true;
    }));
    EXPECT_THAT(visited, ElementsAre("C", "a", "b"));

    visited.clear();
    EXPECT_FALSE(TypeParam::for_each_child(record, [&](const std::string& uid) {
        visited.push_back(uid);
        return uid != "a";
    }));
    EXPECT_THAT(visited, ElementsAre("C", "a"));

    TypeParam::remove_child(record, "a");
    TypeParam::remove_child(record, "not-a-child");
    EXPECT_THAT(this->members(this->key("r1", TypeParam::children)), ElementsAre("C", "b"));
    EXPECT_FALSE(TypeParam::has_child(record, "a"));
}

} // namespace
} // namespace orv::test
