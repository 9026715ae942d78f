#pragma once

#include "utils/noncopyable.h"
#include "utils/timestamp.h"

#include <chrono>
#include <functional>
#include <memory>

namespace orv::utils {

// A periodic action driven by the events loop it registers with.
class timer : noncopyable {
public:
    using seconds = std::chrono::seconds;
    using callback = std::function<void(orv::utils::timestamp)>;
    using ptr = std::unique_ptr<timer>;

    virtual ~timer() = default;
    // Arms the timer and registers it with its loop; the timer must be stopped.
    virtual void start() = 0;
    // Disarms the timer and unregisters it; the timer must be running.
    virtual void stop() = 0;
};

} // namespace orv::utils
