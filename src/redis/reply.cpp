#include "redis/reply.h"

#include "utils/exceptions.h"

#include <hiredis/hiredis.h>

#include <map>

namespace orv::redis {
namespace {

const std::map<reply_type, std::string>& reply_type_names() {
    static const std::map<reply_type, std::string> names = {
        {reply_type::STRING, "string"}, {reply_type::ARRAY, "array"},
        {reply_type::INTEGER, "integer"}, {reply_type::NIL, "nil"},
        {reply_type::STATUS, "status"}, {reply_type::ERROR, "error"},
    };
    return names;
}

} // namespace

const std::string& to_string(reply_type type) { return reply_type_names().at(type); }

reply_type reply_element::get_type() const { return static_cast<reply_type>(m_element->type); }

std::string reply_element::to_string() const {
    const auto type = get_type();
    if (type != reply_type::STRING && type != reply_type::STATUS && type != reply_type::ERROR) {
        ORV_THROW_MSG("Reply is not string, actual type: " + redis::to_string(type));
    }
    return std::string(m_element->str, m_element->len);
}

std::int64_t reply_element::to_integer() const {
    const auto type = get_type();
    if (type != reply_type::INTEGER) {
        ORV_THROW_MSG("Reply is not integer, actual type: " + redis::to_string(type));
    }
    return static_cast<std::int64_t>(m_element->integer);
}

reply_array reply_element::as_array() const {
    const auto type = get_type();
    if (type != reply_type::ARRAY) {
        ORV_THROW_MSG("Reply is not array, actual type: " + redis::to_string(type));
    }
    return reply_array(m_element->element, m_element->elements);
}

reply::reply(redisReply* reply_ptr) : reply_element(*reply_ptr), m_reply_ptr(reply_ptr) {}

void reply::deleter::operator()(redisReply* reply_ptr) const { freeReplyObject(reply_ptr); }

reply_element reply_array::operator[](std::size_t i) const {
    if (i >= m_size) {
        ORV_THROW_MSG("Index out of range");
    }
    return reply_element(*m_data[i]);
}

bool reply_array::for_each_element(const element_callback& callback) const {
    for (std::size_t i = 0; i < m_size; ++i) {
        if (!callback(reply_element(*m_data[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace orv::redis
