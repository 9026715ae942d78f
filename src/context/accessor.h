#pragma once

#include "sqlite/disk_queue.h"
#include "utils/noncopyable.h"

#include <memory>
#include <mutex>
#include <string>

namespace orv::context {

template <typename T>
class objects_repository;

class module;
class anchor;
class trackable;
class sublocation;
class location;
class project;
class company;
class node;
class tdoa_settings;
class tdoa_schedule;
class network_settings;
class shm_status;
class objects_creator;
class agent;
class monitor_server;
class events_context;
class system_resources;

// Entry point to the site context kept in Redis: one repository per record
// kind, the object creator, the singleton records and the disk queues.
class accessor : utils::noncopyable {
public:
    using modules = objects_repository<module>;
    using anchors = objects_repository<anchor>;
    using trackables = objects_repository<trackable>;
    using sublocations = objects_repository<sublocation>;
    using locations = objects_repository<location>;
    using projects = objects_repository<project>;
    using companies = objects_repository<company>;
    using nodes = objects_repository<node>;
    using tdoa_settings_repository = objects_repository<tdoa_settings>;
    using tdoa_schedule_repository = objects_repository<tdoa_schedule>;
    using network_settings_repository = objects_repository<network_settings>;
    using shm_statuses = objects_repository<shm_status>;

    virtual ~accessor() = default;

    virtual modules& get_modules() = 0;
    virtual anchors& get_anchors() = 0;
    virtual trackables& get_trackables() = 0;
    virtual sublocations& get_sublocations() = 0;
    virtual locations& get_locations() = 0;
    virtual projects& get_projects() = 0;
    virtual companies& get_companies() = 0;
    virtual nodes& get_nodes() = 0;
    virtual tdoa_settings_repository& get_tdoa_settings() = 0;
    virtual tdoa_schedule_repository& get_tdoa_schedules() = 0;
    virtual network_settings_repository& get_network_settings() = 0;
    virtual shm_statuses& get_shm_statuses() = 0;
    virtual objects_creator& get_objects_creator() = 0;
    virtual agent& get_agent() = 0;
    virtual monitor_server& get_monitor_server() = 0;
    virtual events_context& get_events() = 0;
    virtual system_resources& get_system_resources() = 0;
    // A new handle of the named queue; creates the queue's table when missing.
    virtual synchronized_disk_queue get_disk_queue(const std::string& name) = 0;
};

} // namespace orv::context
