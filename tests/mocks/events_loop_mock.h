#pragma once

#include "utils/events_loop.h"
#include "utils/timer.h"

#include <gmock/gmock.h>

namespace orv::test {

class events_loop_mock : public orv::utils::events_loop {
public:
    MOCK_METHOD(void, start, (), (override));
    MOCK_METHOD(void, stop, (), (override));
    MOCK_METHOD(orv::utils::timer::ptr, repeat_action,
                (orv::utils::timer::seconds period, orv::utils::timer::callback callback),
                (override));
    MOCK_METHOD(orv::utils::timer::ptr, repeat_action,
                (orv::utils::timer::seconds period, orv::utils::timer::callback callback,
                 should_run run),
                (override));
    MOCK_METHOD(void, register_fd, (int fd, callback callback), (override));
    MOCK_METHOD(void, register_socket, (void* socket, callback callback), (override));
    MOCK_METHOD(void, mark_to_delete_fd, (int fd), (override));
};

class timer_mock : public orv::utils::timer {
public:
    MOCK_METHOD(void, start, (), (override));
    MOCK_METHOD(void, stop, (), (override));
};

} // namespace orv::test
