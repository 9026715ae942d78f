#pragma once

#include <json/json.h>

#include <cstdint>
#include <map>
#include <string>

namespace orv::standins {

// One HTTP request as a stand-in server saw it, and what it answered.
struct http_record {
    std::int64_t time_ms = 0;       // arrival, milliseconds since the Unix epoch
    std::string method;             // "GET", "POST", "PUT", ...
    std::string path;               // without the query
    std::string target;             // path and query exactly as requested
    std::multimap<std::string, std::string> query; // decoded query parameters
    std::string content_type;       // the request's content-type header, empty when none
    std::string body;               // raw request body
    Json::Value json;               // the body parsed as JSON; null when it is not JSON
    std::string cookie;             // the request's cookie header, empty when none
    int status = 0;                 // status answered; 0 when the connection was dropped

    // One compact JSON line: {"time","method","target","status","content_type","body"}
    // with "body" parsed when it is JSON, raw text otherwise.
    std::string to_json_line() const;
};

} // namespace orv::standins
