#pragma once

#include "utils/noncopyable.h"
#include "utils/timestamp.h"

#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;
class company;
class project;
class location;
class sublocation;
class anchor;
class trackable;
class node;
class module;
class tdoa_settings;
class tdoa_schedule;
class network_settings;
class shm_status;

// Creates context records: each operation forwards to the record kind's static
// create with this creator's connection and accessor, and returns the new record.
class objects_creator : utils::noncopyable {
public:
    objects_creator(redis::context& redis_context, accessor& context);

    company create_company(const std::string& uid);
    project create_project(const std::string& uid, const std::string& company_uid);
    location create_location(const std::string& uid, const std::string& project_uid);
    sublocation create_sublocation(const std::string& uid, const std::string& location_uid);
    anchor create_anchor(const std::string& uid, const std::string& name, const std::string& type,
                         const std::string& sublocation_uid, const std::string& location_uid,
                         const std::string& project_uid, const std::string& company_uid);
    trackable create_trackable(const std::string& uid, const std::string& name,
                               const std::string& project_uid, const std::string& company_uid);
    node create_node(const std::string& mac);
    module create_module(const std::string& uid, const std::string& name, const std::string& state,
                         const utils::timestamp& state_change_time, const std::string& version);
    tdoa_settings create_tdoa_settings(const std::string& uid);
    tdoa_schedule create_tdoa_schedule(const std::string& uid);
    network_settings create_network_settings(const std::string& uid);
    shm_status create_shm_status(const std::string& uid);

private:
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
