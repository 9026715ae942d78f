#include "support/context_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::ElementsAre;

class company_test : public context_fixture {};

TEST_F(company_test, create_only_registers_the_company) {
    auto& recording = recording_context();
    recorder().clear_writes();

    auto company = recording.get_objects_creator().create_company("c1");

    EXPECT_THAT(recorder().writes(), ElementsAre("SADD companies:set c1"));
    EXPECT_THAT(all_keys(), ElementsAre("companies:set"));
    EXPECT_EQ(company.get_uid(), "c1");
    EXPECT_TRUE(context().get_companies().is_exists("c1"));
}

TEST_F(company_test, projects_set_and_remove_without_cascade) {
    auto company = creator().create_company("c1");
    creator().create_project("p2", "c1");
    creator().create_project("p1", "c1");
    EXPECT_THAT(members("companies:c1:projects"), ElementsAre("p1", "p2"));
    EXPECT_TRUE(company.has_project("p1"));

    std::vector<std::string> visited;
    EXPECT_FALSE(company.for_each_project([&](const std::string& uid) {
        visited.push_back(uid);
        return false;
    }));
    EXPECT_THAT(visited, ElementsAre("p1"));

    company.remove_project("p2");
    EXPECT_THAT(members("companies:c1:projects"), ElementsAre("p1"));
    company.add_project("p2");

    auto& recording = recording_context();
    recorder().clear_writes();
    recording.get_companies().remove("c1");

    EXPECT_THAT(recorder().writes(),
                ElementsAre("SREM companies:set c1", "DEL companies:c1:data", "DEL companies:c1:projects"));
    EXPECT_EQ(redis().command("EXISTS companies:c1:projects"), "0");
    EXPECT_FALSE(context().get_companies().is_exists("c1"));
    // The projects stay registered and keep naming their company.
    EXPECT_THAT(members("projects:set"), ElementsAre("p1", "p2"));
    EXPECT_EQ(field("projects:p1:data", "company_uid"), "c1");
}

} // namespace
} // namespace orv::test
