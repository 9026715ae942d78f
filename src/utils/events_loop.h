#pragma once

#include "utils/noncopyable.h"
#include "utils/strong_typedef.h"
#include "utils/timer.h"

#include <functional>

namespace orv::utils {

// Waits on file descriptors and ZeroMQ sockets and runs the callback of each
// ready item, all on the thread that called start().
class events_loop : noncopyable {
public:
    using callback = std::function<void()>;
    using should_run = strong_typedef<bool, struct should_run_tag>;

    virtual ~events_loop() = default;

    // Runs until stop() has been called and the current pass has finished.
    virtual void start() = 0;
    // Does not wake the loop: meant to be called from a callback.
    virtual void stop() = 0;
    // A timer that fires every `period` (the first time `period` after start);
    // the caller owns it, destroying it stops it.
    virtual timer::ptr repeat_action(timer::seconds period, timer::callback callback) = 0;
    virtual timer::ptr repeat_action(timer::seconds period, timer::callback callback,
                                     should_run run) = 0;
    virtual void register_fd(int fd, callback callback) = 0;
    virtual void register_socket(void* socket, callback callback) = 0;
    // The items of this descriptor are skipped from now on and removed before the next poll.
    virtual void mark_to_delete_fd(int fd) = 0;
};

} // namespace orv::utils
