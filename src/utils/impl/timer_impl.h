#pragma once

#include "utils/events_loop.h"
#include "utils/timer.h"

#include <memory>

namespace orv::utils {

// A timer backed by its own timerfd (CLOCK_REALTIME, non-blocking), polled by
// the events loop as an ordinary descriptor.
class timer_impl : public timer {
public:
    timer_impl(seconds init_period, seconds repeat_period, events_loop& loop, callback cb);
    ~timer_impl() override;

    void start() override;
    void stop() override;

private:
    void arm(seconds init_period, seconds repeat_period);

    seconds m_init_period;
    seconds m_repeat_period;
    // Shared so that the loop's registration can hold it weakly: a callback
    // released by a destroyed timer is never called.
    std::shared_ptr<callback> m_callback;
    int m_fd = -1;
    events_loop& m_events_loop;
    bool m_running = false;
};

} // namespace orv::utils
