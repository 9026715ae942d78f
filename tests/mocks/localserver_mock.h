#pragma once

#include "localserver.h"

#include <gmock/gmock.h>

namespace orv::test {

class localserver_mock : public orv::localserver {
public:
    MOCK_METHOD(Json::Value, get_tdoa_settings, (), (override));
    MOCK_METHOD(Json::Value, get_tdoa_schedules, (), (override));
    MOCK_METHOD(Json::Value, get_nodes, (), (override));
    MOCK_METHOD(Json::Value, get_companies, (), (override));
    MOCK_METHOD(Json::Value, get_company_snapshot, (const std::string& company_uid), (override));
    MOCK_METHOD(Json::Value, get_trackables, (), (override));
    MOCK_METHOD(Json::Value, get_network_settings, (), (override));
    MOCK_METHOD(Json::Value, get_node_parameters,
                (const std::vector<std::string>& macs, const std::vector<std::string>& fields),
                (override));
    MOCK_METHOD(void, post_shm_status,
                (const std::string& anchor_uid, const std::vector<std::string>& alarms),
                (override));
    MOCK_METHOD(Json::Value, retry_until_success, (const std::function<Json::Value()>& operation),
                (override));

    // Makes retry_until_success run the operation once, as a client that never
    // needs a second attempt would.
    void retry_runs_operation() {
        ON_CALL(*this, retry_until_success(::testing::_))
            .WillByDefault([](const std::function<Json::Value()>& operation) { return operation(); });
    }
};

} // namespace orv::test
