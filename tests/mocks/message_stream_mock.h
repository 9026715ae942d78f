#pragma once

#include "utils/message_stream.h"

#include <gmock/gmock.h>

namespace orv::test {

class message_stream_observer_mock : public orv::utils::message_stream::observer {
public:
    MOCK_METHOD(void, on_notify, (const std::string& message, const Json::Value& json),
                (override));
    MOCK_METHOD(void, on_param_p, (const std::string& message, const Json::Value& json),
                (override));
    MOCK_METHOD(void, on_unknown_type, (const std::string& message, const Json::Value& json),
                (override));
};

class message_stream_mock : public orv::utils::message_stream {
public:
    MOCK_METHOD(void, add_observer, (observer & o), (override));
};

} // namespace orv::test
