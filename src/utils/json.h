#pragma once

#include <json/json.h>

#include <string>

namespace orv::utils {

struct parse_result {
    Json::Value result;
    bool ok = false;
    std::string error;
};

parse_result json_try_parse(const std::string& text);
// Throws orv::exception with the parser's error text.
Json::Value json_parse(const std::string& text);
// Compact single-line JSON without spaces: every text the agent sends or stores.
std::string json_to_string(const Json::Value& value);

} // namespace orv::utils
