#pragma once

#include "utils/noncopyable.h"

#include <json/value.h>

#include <string>

namespace orv::utils {

// The location system's notifications, each handed to every observer as its
// JSON text and its parsed value.
class message_stream : noncopyable {
public:
    class observer {
    public:
        virtual ~observer() = default;
        virtual void on_notify(const std::string& message, const Json::Value& json) = 0;
        virtual void on_param_p(const std::string& message, const Json::Value& json) = 0;
        virtual void on_unknown_type(const std::string& message, const Json::Value& json) = 0;
    };

    virtual ~message_stream() = default;
    // Observers are called in registration order and must outlive the stream.
    virtual void add_observer(observer& o) = 0;
};

} // namespace orv::utils
