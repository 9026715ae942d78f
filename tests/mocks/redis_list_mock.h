#pragma once

#include "redis/list.h"

#include <gmock/gmock.h>

namespace orv::redis {

class list_mock : public list {
public:
    MOCK_METHOD(void, lpush, (const std::string&), (override));
    MOCK_METHOD(void, rpush, (const std::string&), (override));
    MOCK_METHOD(std::string, lpop, (), (override));
    MOCK_METHOD(std::string, rpop, (), (override));
    MOCK_METHOD(int, len, (), (override));
    MOCK_METHOD(std::string, lindex, (int), (override));
    MOCK_METHOD(std::vector<std::string>, lrange, (int, int), (override));
    MOCK_METHOD(void, ltrim, (int, int), (override));
    MOCK_METHOD(void, clear, (), (override));
};

} // namespace orv::redis
