#pragma once

#include "utils/events_loop.h"
#include "utils/logger.h"

#include <zmq.h>

#include <vector>

namespace orv::utils {

class events_loop_impl : public events_loop {
public:
    explicit events_loop_impl(logger& log);

    void start() override;
    void stop() override;
    timer::ptr repeat_action(timer::seconds period, timer::callback callback) override;
    timer::ptr repeat_action(timer::seconds period, timer::callback callback,
                             should_run run) override;
    void register_fd(int fd, callback callback) override;
    void register_socket(void* socket, callback callback) override;
    void mark_to_delete_fd(int fd) override;

private:
    void remove_marked_items();
    void dispatch_ready_items();

    // Item i belongs to callback i. An item whose requested events are 0 is
    // marked for deletion.
    std::vector<zmq_pollitem_t> m_poolitems;
    std::vector<callback> m_callbacks;
    logger& m_logger;
    bool m_running = false;
};

} // namespace orv::utils
