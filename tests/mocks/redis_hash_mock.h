#pragma once

#include "redis/hash.h"

#include <gmock/gmock.h>

namespace orv::redis {

class hash_mock : public hash {
public:
    MOCK_METHOD(bool, exists, (const std::string&), (const, override));
    MOCK_METHOD(std::string, get, (const std::string&), (const, override));
    MOCK_METHOD((std::pair<bool, std::string>), try_get, (const std::string&), (const, override));
    MOCK_METHOD(bool, set, (const std::string&, const std::string&), (override));
    MOCK_METHOD(void, del, (const std::string&), (override));
    MOCK_METHOD(void, clear, (), (override));
    MOCK_METHOD(bool, for_each_element, (elements_callback), (const, override));
};

} // namespace orv::redis
