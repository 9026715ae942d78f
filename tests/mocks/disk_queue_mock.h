#pragma once

#include "sqlite/disk_queue.h"

#include <gmock/gmock.h>

namespace orv::test {

class disk_queue_mock : public orv::context::disk_queue {
public:
    MOCK_METHOD(const std::string&, get_name, (), (const, override));
    MOCK_METHOD(void, add, (const std::string& value), (override));
    MOCK_METHOD(std::string, front, (), (const, override));
    MOCK_METHOD(std::string, pop, (), (override));
    MOCK_METHOD(std::vector<std::string>, get_first_values, (int count), (const, override));
    MOCK_METHOD(void, delete_first_values, (int count), (override));
    MOCK_METHOD(void, clear, (), (override));
    MOCK_METHOD(bool, has_values, (), (const, override));
};

} // namespace orv::test
