#pragma once

#include "data_synchronization/data_synchronizer.h"

#include <gmock/gmock.h>

namespace orv::test {

class data_synchronizer_mock : public data_synchronization::data_synchronizer {
public:
    MOCK_METHOD(void, add_subscriber, (data_synchronization::context_updates_subscriber&), (override));
    MOCK_METHOD(void, initialize_context, (), (override));
};

} // namespace orv::test
