#pragma once

#include "monitor_server/http_client.h"

#include <gmock/gmock.h>

namespace orv::test {

class http_client_mock : public orv::monitor_server::http_client {
public:
    MOCK_METHOD(void, login, (const login_credentials& credentials), (override));
    MOCK_METHOD(void, send_events, (const std::string& json), (override));
    MOCK_METHOD(void, send_company_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_project_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_location_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_sublocation_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_user_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_anchor_notify, (const std::string& json), (override));
    MOCK_METHOD(void, send_snapshot, (const std::string& json), (override));
    MOCK_METHOD(void, ping, (int uptime), (override));
    MOCK_METHOD(void, retry_until_success, (const std::function<void()>& operation), (override));

    // Makes retry_until_success run the operation once.
    void retry_runs_operation() {
        ON_CALL(*this, retry_until_success(::testing::_))
            .WillByDefault([](const std::function<void()>& operation) { operation(); });
    }
};

} // namespace orv::test
