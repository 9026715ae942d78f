#pragma once

#include "redis/set.h"

#include <gmock/gmock.h>

namespace orv::redis {

class set_mock : public set {
public:
    MOCK_METHOD(bool, is_member, (const std::string&), (const, override));
    MOCK_METHOD(int, add, (const std::string&), (override));
    MOCK_METHOD(int, rem, (const std::string&), (override));
    MOCK_METHOD(void, clear, (), (override));
    MOCK_METHOD(bool, for_each_member, (members_callback), (const, override));
};

} // namespace orv::redis
