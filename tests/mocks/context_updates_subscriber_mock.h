#pragma once

#include "data_synchronization/context_updates_subscriber.h"

#include <gmock/gmock.h>

namespace orv::test {

class context_updates_subscriber_mock : public data_synchronization::context_updates_subscriber {
public:
    MOCK_METHOD(void, on_anchor_update_after, (const context::anchor&, const timestamp&), (override));
    MOCK_METHOD(void, on_anchor_delete_before, (const context::anchor&, const timestamp&), (override));
    MOCK_METHOD(void, on_trackable_update_after, (const context::trackable&, const timestamp&), (override));
    MOCK_METHOD(void, on_trackable_delete_before, (const context::trackable&, const timestamp&), (override));
    MOCK_METHOD(void, on_node_announce, (const context::anchor&, const timestamp&), (override));
    MOCK_METHOD(void, on_heartbeat, (const context::anchor&, bool, const timestamp&), (override));
    MOCK_METHOD(void, on_bat_parameter_received, (const context::node&, const timestamp&), (override));
    MOCK_METHOD(void, on_node_delete_before, (const context::node&, const timestamp&), (override));
    MOCK_METHOD(void, on_location_update_after, (const context::location&, const timestamp&), (override));
    MOCK_METHOD(void, on_location_delete_before, (const context::location&, const timestamp&), (override));
    MOCK_METHOD(void, on_location_delete_after, (const std::string&, const timestamp&), (override));
    MOCK_METHOD(void, on_sublocation_update_after, (const context::sublocation&, const timestamp&), (override));
    MOCK_METHOD(void, on_sublocation_delete_before, (const context::sublocation&, const timestamp&), (override));
    MOCK_METHOD(void, on_sublocation_delete_after, (const std::string&, const timestamp&), (override));
    MOCK_METHOD(void, on_tdoa_settings_update_after, (const context::tdoa_settings&, const timestamp&), (override));
    MOCK_METHOD(void, on_tdoa_settings_delete_before, (const context::tdoa_settings&, const timestamp&), (override));
    MOCK_METHOD(void, on_tdoa_schedule_update_after, (const context::tdoa_schedule&, const timestamp&), (override));
    MOCK_METHOD(void, on_tdoa_schedule_delete_before, (const context::tdoa_schedule&, const timestamp&), (override));
    MOCK_METHOD(void, on_network_settings_update_after, (const context::network_settings&, const timestamp&),
                (override));
    MOCK_METHOD(void, on_network_settings_delete_before, (const context::network_settings&, const timestamp&),
                (override));
    MOCK_METHOD(void, on_module_update_after, (const context::module&, const timestamp&), (override));
    MOCK_METHOD(void, on_module_delete_before, (const context::module&, const timestamp&), (override));
    MOCK_METHOD(void, on_modules_info_updated, (const timestamp&), (override));
    MOCK_METHOD(void, on_system_resources_updated, (const timestamp&), (override));
};

} // namespace orv::test
