#pragma once

#include "support/context_fixture.h"
#include "support/redis_server.h"
#include "utils/exceptions.h"
#include "utils/timestamp.h"

#include <boost/optional/optional_io.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace orv::utils {
// Lets optional timestamps be printed in assertion messages.
inline std::ostream& operator<<(std::ostream& out, const timestamp& value) {
    return out << value.milliseconds_since_epoch() << " ms";
}
} // namespace orv::utils

namespace orv::test {

// Raw views of Redis keys, read through the server's own connection.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty()) {
        return out;
    }
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        out.push_back(line);
    }
    if (text.back() == '\n') {
        out.emplace_back(); // a trailing empty element
    }
    return out;
}

// Members of a set, in ascending order.
inline std::vector<std::string> raw_members(const redis_server& server, const std::string& key) {
    auto members = split_lines(server.command("SMEMBERS %s", key.c_str()));
    std::sort(members.begin(), members.end());
    return members;
}

inline std::map<std::string, std::string> raw_fields(const redis_server& server,
                                                     const std::string& key) {
    const auto flat = split_lines(server.command("HGETALL %s", key.c_str()));
    std::map<std::string, std::string> fields;
    for (std::size_t i = 0; i + 1 < flat.size(); i += 2) {
        fields[flat[i]] = flat[i + 1];
    }
    return fields;
}

inline std::string raw_field(const redis_server& server, const std::string& key,
                             const std::string& field) {
    return server.command("HGET %s %s", key.c_str(), field.c_str());
}

// All keys of the database, in ascending order.
inline std::vector<std::string> raw_keys(const redis_server& server) {
    auto keys = split_lines(server.command("KEYS *"));
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Runs `action`, expecting a check_failed_exception with the given condition text.
template <typename Action>
void expect_check_failed(Action&& action, const std::string& condition) {
    try {
        action();
        ADD_FAILURE() << "no check_failed_exception; expected condition " << condition;
    } catch (const check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), condition);
    }
}

// Runs `action`, expecting an orv::exception with exactly the given message.
template <typename Action>
void expect_exception(Action&& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no orv::exception; expected " << message;
    } catch (const exception& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

inline bool raw_exists(const redis_server& server, const std::string& key) {
    return server.command("EXISTS %s", key.c_str()) == "1";
}

// The shared context fixture with shorter names for the record tests.
class records_test : public context_fixture {
protected:
    const redis_server& server() const { return redis(); }
    orv::context::accessor& ctx() { return context(); }
};

} // namespace orv::test
