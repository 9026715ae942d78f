#pragma once

#include "utils/noncopyable.h"

#include <json/json.h>

#include <functional>
#include <string>
#include <vector>

namespace orv {

// Client of the location system's local server REST API. The GET operations
// return the parsed answer whole and never retry on their own; callers wrap
// them in retry_until_success.
class localserver : utils::noncopyable {
public:
    virtual ~localserver() = default;

    virtual Json::Value get_tdoa_settings() = 0;
    virtual Json::Value get_tdoa_schedules() = 0;
    virtual Json::Value get_nodes() = 0;
    virtual Json::Value get_companies() = 0;
    virtual Json::Value get_company_snapshot(const std::string& company_uid) = 0;
    virtual Json::Value get_trackables() = 0;
    virtual Json::Value get_network_settings() = 0;
    virtual Json::Value get_node_parameters(const std::vector<std::string>& macs,
                                            const std::vector<std::string>& fields) = 0;
    // Puts the anchor's active alarms; failures are logged, never reported.
    virtual void post_shm_status(const std::string& anchor_uid,
                                 const std::vector<std::string>& alarms) = 0;
    // Repeats the operation until it returns or the stop flag is set ("Stopped").
    virtual Json::Value retry_until_success(const std::function<Json::Value()>& operation) = 0;
};

} // namespace orv
