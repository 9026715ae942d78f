#include "utils/impl/message_stream_zmq.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <utility>

namespace orv::utils {
namespace {

using topic_table = std::vector<std::pair<std::string, message_stream_zmq::observer_method>>;

const topic_table& topics() {
    static const topic_table table{
        {message_stream_zmq::s_notify_tag, &message_stream::observer::on_notify},
        {message_stream_zmq::s_param_p_tag, &message_stream::observer::on_param_p},
    };
    return table;
}

} // namespace

message_stream_zmq::message_stream_zmq(zmq::context_t& zmq_context, const std::string& address,
                                       events_loop& loop, logger& log)
    : m_zmq_context(zmq_context), m_proxy_socket(m_zmq_context, zmq::socket_type::sub),
      m_logger(log) {
    m_proxy_socket.connect(address);
    m_proxy_socket.set(zmq::sockopt::subscribe, s_notify_tag);
    m_proxy_socket.set(zmq::sockopt::subscribe, s_param_p_tag);
    m_proxy_socket.set(zmq::sockopt::subscribe, s_everything_tag);
    m_proxy_socket.set(zmq::sockopt::rcvtimeo, 0);
    loop.register_socket(m_proxy_socket.handle(), [this] { process_data(m_proxy_socket); });
}

void message_stream_zmq::add_observer(observer& o) { m_observers.emplace_back(o); }

void message_stream_zmq::process_data(zmq::socket_t& socket) {
    for (;;) {
        zmq::message_t frame;
        // Empty on EAGAIN; any other failure throws.
        if (!socket.recv(frame, zmq::recv_flags::dontwait)) {
            return;
        }
        const std::string text = frame.to_string();
        const auto brace = text.find('{');
        if (brace == std::string::npos) {
            continue;
        }
        process_message(text.substr(brace), get_observer_method(text));
    }
}

message_stream_zmq::observer_method message_stream_zmq::get_observer_method(const std::string& text) {
    for (const auto& [tag, method] : topics()) {
        if (text.compare(0, tag.size(), tag) == 0) {
            return method;
        }
    }
    return &observer::on_unknown_type;
}

void message_stream_zmq::process_message(const std::string& body, observer_method method) {
    const auto parsed = json_try_parse(body);
    if (!parsed.ok) {
        ORV_THROW_MSG(parsed.error);
    }
    for (observer& o : m_observers) {
        try {
            (o.*method)(body, parsed.result);
        } catch (...) {
            m_logger.log_exception("Node: message: " + body);
        }
    }
}

} // namespace orv::utils
