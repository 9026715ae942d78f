#include "utils/impl/timer_impl.h"

#include "utils/exceptions.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/timerfd.h>
#include <unistd.h>

namespace orv::utils {

timer_impl::timer_impl(seconds init_period, seconds repeat_period, events_loop& loop, callback cb)
    : m_init_period(init_period), m_repeat_period(repeat_period),
      m_callback(std::make_shared<callback>(std::move(cb))), m_events_loop(loop) {
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK);
    if (m_fd == -1) {
        ORV_THROW_MSG(std::string("timerfd_create: ") + std::strerror(errno));
    }
}

timer_impl::~timer_impl() {
    // A failure to disarm here cannot be reported: it ends the process.
    if (m_running) {
        stop();
    }
    if (m_fd != -1) {
        ::close(m_fd);
    }
    m_callback.reset();
}

void timer_impl::arm(seconds init_period, seconds repeat_period) {
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(init_period.count());
    spec.it_interval.tv_sec = static_cast<time_t>(repeat_period.count());
    if (::timerfd_settime(m_fd, 0, &spec, nullptr) != 0) {
        ORV_THROW_MSG(std::string("timerfd_settime: ") + std::strerror(errno));
    }
}

void timer_impl::start() {
    ORV_CHECK(! m_running);
    arm(m_init_period, m_repeat_period);
    std::weak_ptr<callback> weak_callback = m_callback;
    const int fd = m_fd;
    m_events_loop.register_fd(fd, [fd, weak_callback] {
        // Expirations that piled up while the loop was busy give one call.
        std::uint64_t expirations = 0;
        if (::read(fd, &expirations, sizeof(expirations)) !=
            static_cast<ssize_t>(sizeof(expirations))) {
            return; // nothing expired: a spurious wake-up
        }
        // The local owner keeps the callback alive even if it destroys its timer.
        const auto cb = weak_callback.lock();
        if (cb && *cb) {
            (*cb)(timestamp::current_time());
        }
    });
    m_running = true;
}

void timer_impl::stop() {
    ORV_CHECK(m_running);
    arm(seconds{0}, seconds{0});
    m_events_loop.mark_to_delete_fd(m_fd);
    m_running = false;
}

} // namespace orv::utils
