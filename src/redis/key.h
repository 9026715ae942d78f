#pragma once

#include <string>
#include <utility>

namespace orv::redis {

// A Redis key, sent to Redis exactly as given.
class key {
public:
    explicit key(std::string key) : m_key(std::move(key)) {}

    const std::string& as_string() const { return m_key; }

    friend bool operator==(const key& a, const key& b) { return a.m_key == b.m_key; }
    friend bool operator!=(const key& a, const key& b) { return a.m_key != b.m_key; }
    friend bool operator<(const key& a, const key& b) { return a.m_key < b.m_key; }

private:
    std::string m_key;
};

} // namespace orv::redis
