#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct redisReply;

namespace orv::redis {

// Values equal the hiredis reply codes.
enum class reply_type : int {
    STRING = 1,
    ARRAY = 2,
    INTEGER = 3,
    NIL = 4,
    STATUS = 5,
    ERROR = 6,
    _count = 7,
    _unknown = 8,
};

// Name of a reply type ("string", "array", ...); throws std::out_of_range for
// values without a name.
const std::string& to_string(reply_type type);

class reply_array;

// Non-owning view of one hiredis reply object; must not outlive the reply it
// belongs to.
class reply_element {
public:
    explicit reply_element(const redisReply& element) : m_element(&element) {}
    virtual ~reply_element() = default;
    reply_element(const reply_element&) = default;
    reply_element& operator=(const reply_element&) = default;

    reply_type get_type() const;
    // Text of a STRING, STATUS or ERROR reply.
    std::string to_string() const;
    // Value of an INTEGER reply.
    std::int64_t to_integer() const;
    // Elements of an ARRAY reply.
    reply_array as_array() const;

private:
    const redisReply* m_element;
};

// Owns a top-level reply; its elements are views into it.
class reply : public reply_element {
public:
    // Takes ownership of a reply returned by hiredis (must not be null).
    explicit reply(redisReply* reply_ptr);

private:
    struct deleter {
        void operator()(redisReply* reply_ptr) const;
    };
    std::unique_ptr<redisReply, deleter> m_reply_ptr;
};

class reply_array {
public:
    using element_callback = std::function<bool(const reply_element&)>;

    reply_array(redisReply** data, std::size_t size) : m_data(data), m_size(size) {}

    // Throws "Index out of range" for i >= size().
    reply_element operator[](std::size_t i) const;
    std::size_t size() const { return m_size; }
    // Calls callback on each element in order; stops and returns false at the
    // first callback that returns false, true otherwise.
    bool for_each_element(const element_callback& callback) const;

private:
    redisReply** m_data;
    std::size_t m_size;
};

} // namespace orv::redis
