#pragma once

#include "redis/context.h"

#include <gmock/gmock.h>

namespace orv::redis {

class context_mock : public context {
public:
    MOCK_METHOD(reply, flush_db, (), (override));
    MOCK_METHOD(std::unique_ptr<hash>, get_hash, (const key&), (override));
    MOCK_METHOD(std::unique_ptr<set>, get_set, (const key&), (override));
    MOCK_METHOD(std::unique_ptr<list>, get_list, (const key&), (override));
    MOCK_METHOD(bool, has_value, (const key&), (const, override));
    MOCK_METHOD(std::string, get_value, (const key&), (const, override));
    MOCK_METHOD(void, set_value, (const key&, const std::string&), (override));
};

} // namespace orv::redis
