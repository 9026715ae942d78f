#pragma once

#include "context/accessor.h"
#include "context/agent.h"
#include "context/anchor.h"
#include "context/company.h"
#include "context/events_context.h"
#include "context/location.h"
#include "context/module.h"
#include "context/monitor_server.h"
#include "context/network_settings.h"
#include "context/node.h"
#include "context/objects_creator.h"
#include "context/objects_repository.h"
#include "context/project.h"
#include "context/shm_status.h"
#include "context/sublocation.h"
#include "context/system_resources.h"
#include "context/tdoa_schedule.h"
#include "context/tdoa_settings.h"
#include "context/trackable.h"
#include "redis/context.h"
#include "sqlite/queues_database.h"

#include <string>

namespace orv::context {

// The accessor over one Redis connection and the process's queue database.
// Singleton records and repositories open their Redis handles on construction.
class accessor_impl : public accessor {
public:
    accessor_impl(redis::context& redis_context, sqlite::synchronized_database& queues_db);

    modules& get_modules() override { return m_modules; }
    anchors& get_anchors() override { return m_anchors; }
    trackables& get_trackables() override { return m_trackables; }
    sublocations& get_sublocations() override { return m_sublocations; }
    locations& get_locations() override { return m_locations; }
    projects& get_projects() override { return m_projects; }
    companies& get_companies() override { return m_companies; }
    nodes& get_nodes() override { return m_nodes; }
    tdoa_settings_repository& get_tdoa_settings() override { return m_tdoa_settings; }
    tdoa_schedule_repository& get_tdoa_schedules() override { return m_tdoa_schedule; }
    network_settings_repository& get_network_settings() override { return m_network_settings; }
    shm_statuses& get_shm_statuses() override { return m_shm_statuses; }
    objects_creator& get_objects_creator() override { return m_objects_creator; }
    agent& get_agent() override { return m_agent; }
    monitor_server& get_monitor_server() override { return m_monitor_server; }
    events_context& get_events() override { return m_events_context; }
    system_resources& get_system_resources() override { return m_system_resources; }
    synchronized_disk_queue get_disk_queue(const std::string& name) override;

private:
    redis::context& m_redis_context;
    sqlite::synchronized_database& m_queues_db;
    objects_creator m_objects_creator;
    agent m_agent;
    monitor_server m_monitor_server;
    events_context m_events_context;
    system_resources m_system_resources;
    modules m_modules;
    anchors m_anchors;
    trackables m_trackables;
    sublocations m_sublocations;
    locations m_locations;
    projects m_projects;
    companies m_companies;
    nodes m_nodes;
    tdoa_settings_repository m_tdoa_settings;
    tdoa_schedule_repository m_tdoa_schedule;
    network_settings_repository m_network_settings;
    shm_statuses m_shm_statuses;
};

} // namespace orv::context
