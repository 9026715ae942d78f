#pragma once

#include "constants/constants.h"
#include "utils/exceptions.h"
#include "utils/logger.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <functional>

namespace orv {

// Blocks the thread for the duration; used between two attempts of a request.
using retry_sleeper = std::function<void(std::chrono::milliseconds)>;

// Sleeps the full duration: a signal interrupts nanosleep, which is then resumed
// with the remaining time.
inline void sleep_full(std::chrono::milliseconds duration) {
    timespec remaining{};
    remaining.tv_sec = static_cast<std::time_t>(duration.count() / 1000);
    remaining.tv_nsec = static_cast<long>((duration.count() % 1000) * 1000000);
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}

// Calls `operation` until it returns and hands back its result. Each failure is
// logged, then the thread sleeps one retry period. Throws orv::exception
// "Stopped" when `should_stop` is found set before an attempt.
template <typename Operation>
auto retry_until_stopped(const Operation& operation, const std::atomic<bool>& should_stop,
                         utils::logger& logger, const retry_sleeper& sleeper)
    -> decltype(operation()) {
    while (!should_stop.load()) {
        try {
            return operation();
        } catch (...) {
            logger.log_exception();
        }
        sleeper(std::chrono::duration_cast<std::chrono::milliseconds>(
            constants::request_retry_period));
    }
    ORV_THROW_MSG("Stopped");
}

} // namespace orv
