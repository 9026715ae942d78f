#include "utils/impl/events_loop_impl.h"

#include "utils/impl/timer_impl.h"

#include <zmq.hpp>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace orv::utils {

events_loop_impl::events_loop_impl(logger& log) : m_logger(log) {}

void events_loop_impl::start() {
    const auto guard = m_logger.enter_function("events_loop_impl::start");
    m_running = true;
    while (m_running) {
        remove_marked_items();
        // An interrupted poll still goes on to the dispatch step: make sure it
        // cannot see the previous pass's results.
        for (auto& item : m_poolitems) {
            item.revents = 0;
        }
        if (zmq_poll(m_poolitems.data(), static_cast<int>(m_poolitems.size()), -1) == -1) {
            const int error = zmq_errno();
            if (error != EINTR) {
                throw zmq::error_t();
            }
        }
        dispatch_ready_items();
    }
}

void events_loop_impl::stop() { m_running = false; }

timer::ptr events_loop_impl::repeat_action(timer::seconds period, timer::callback callback) {
    return repeat_action(period, std::move(callback), should_run{true});
}

timer::ptr events_loop_impl::repeat_action(timer::seconds period, timer::callback callback,
                                           should_run run) {
    auto result = std::make_unique<timer_impl>(period, period, *this, std::move(callback));
    if (run.value) {
        result->start();
    }
    return result;
}

void events_loop_impl::register_fd(int fd, callback callback) {
    m_poolitems.push_back(zmq_pollitem_t{nullptr, fd, ZMQ_POLLIN, 0});
    m_callbacks.push_back(std::move(callback));
}

void events_loop_impl::register_socket(void* socket, callback callback) {
    m_poolitems.push_back(zmq_pollitem_t{socket, 0, ZMQ_POLLIN, 0});
    m_callbacks.push_back(std::move(callback));
}

void events_loop_impl::mark_to_delete_fd(int fd) {
    for (auto& item : m_poolitems) {
        // Socket items carry descriptor 0 as a placeholder; they are never
        // descriptor items, whatever number a closed stdin leaves free.
        if (item.socket == nullptr && item.fd == fd) {
            item.events = 0;
        }
    }
}

void events_loop_impl::remove_marked_items() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_poolitems.size(); ++i) {
        if (m_poolitems[i].events != 0) {
            if (kept != i) {
                m_poolitems[kept] = m_poolitems[i];
                m_callbacks[kept] = std::move(m_callbacks[i]);
            }
            ++kept;
        }
    }
    m_poolitems.resize(kept);
    m_callbacks.resize(kept);
}

void events_loop_impl::dispatch_ready_items() {
    // Callbacks may append items (the vectors may grow) or mark items; the
    // bounds and flags are read again after every call.
    for (std::size_t i = 0; i < m_poolitems.size(); ++i) {
        const auto& item = m_poolitems[i];
        if (item.events == 0 || (item.revents & ZMQ_POLLIN) == 0) {
            continue;
        }
        // A copy: the callback may grow m_callbacks, which would move it mid-call.
        const callback cb = m_callbacks[i];
        try {
            cb();
        } catch (...) {
            m_logger.log_exception();
        }
    }
}

} // namespace orv::utils
