#pragma once

#include "utils/events_loop.h"
#include "utils/logger.h"
#include "utils/message_stream.h"

#include <zmq.hpp>

#include <functional>
#include <string>
#include <vector>

namespace orv::utils {

// Subscribes to the message proxy and dispatches every frame that carries a
// JSON body by its topic prefix. Runs on the thread of the given events loop.
class message_stream_zmq : public message_stream {
public:
    using observer_method = void (observer::*)(const std::string&, const Json::Value&);

    static constexpr const char* s_notify_tag = "#notify";
    static constexpr const char* s_param_p_tag = "#param_p";
    static constexpr const char* s_everything_tag = "#";

    // Throws zmq::error_t when the socket cannot be created, connected or set up.
    message_stream_zmq(zmq::context_t& zmq_context, const std::string& address,
                       events_loop& loop, logger& log);

    void add_observer(observer& o) override;

    // Drains every queued frame without blocking.
    void process_data(zmq::socket_t& socket);
    // The method of the first topic that prefixes the text, else on_unknown_type.
    static observer_method get_observer_method(const std::string& text);
    // Throws orv::exception when the body is not JSON; observer failures are logged.
    void process_message(const std::string& body, observer_method method);

private:
    zmq::context_t& m_zmq_context;
    zmq::socket_t m_proxy_socket;
    std::vector<std::reference_wrapper<observer>> m_observers;
    logger& m_logger;
};

} // namespace orv::utils
