#include "support/context_fixture.h"

#include "utils/timestamp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::ElementsAre;

class module_test : public context_fixture {};

TEST_F(module_test, create_writes_the_fields_in_order_then_registers) {
    const auto changed = utils::timestamp::from_milliseconds(1614834367891);
    auto& recording = recording_context();
    recorder().clear_writes();

    recording.get_objects_creator().create_module("m1", "location-engine", "active", changed, "2.4.1");

    EXPECT_THAT(recorder().writes(),
                ElementsAre("HSET modules:m1:data name location-engine", "HSET modules:m1:data state active",
                            "HSET modules:m1:data state_change_time " + changed.serialize(),
                            "HSET modules:m1:data version 2.4.1", "SADD modules:set m1"));
    EXPECT_EQ(field("modules:m1:data", "state_change_time").rfind("1614834367 891 (", 0), 0u);

    // Read back on a fresh connection: nothing comes from the writer's cache.
    reconnect();
    auto module = context().get_modules().get("m1");
    EXPECT_EQ(module.get_name(), "location-engine");
    EXPECT_EQ(module.get_state(), "active");
    EXPECT_EQ(module.get_state_change_time(), changed);
    EXPECT_EQ(module.get_version(), "2.4.1");
}

TEST_F(module_test, setters_write_their_fields_and_remove_deletes_the_record) {
    auto module = creator().create_module("m1", "n", "inactive", utils::timestamp(), "1");
    module.set_state("failed");
    module.set_version("2");
    module.set_name("other");
    module.set_state_change_time(utils::timestamp::from_milliseconds(-1500));
    EXPECT_EQ(field("modules:m1:data", "state"), "failed");
    EXPECT_EQ(field("modules:m1:data", "version"), "2");
    EXPECT_EQ(field("modules:m1:data", "name"), "other");
    EXPECT_EQ(module.get_state_change_time(), utils::timestamp::from_milliseconds(-1500));

    auto& recording = recording_context();
    recorder().clear_writes();
    recording.get_modules().remove("m1");
    EXPECT_THAT(recorder().writes(), ElementsAre("SREM modules:set m1", "DEL modules:m1:data"));
    EXPECT_THAT(all_keys(), ElementsAre());
}

} // namespace
} // namespace orv::test
