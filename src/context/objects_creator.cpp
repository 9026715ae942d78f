#include "context/objects_creator.h"

#include "context/anchor.h"
#include "context/company.h"
#include "context/location.h"
#include "context/module.h"
#include "context/network_settings.h"
#include "context/node.h"
#include "context/project.h"
#include "context/shm_status.h"
#include "context/sublocation.h"
#include "context/tdoa_schedule.h"
#include "context/tdoa_settings.h"
#include "context/trackable.h"

namespace orv::context {

objects_creator::objects_creator(redis::context& redis_context, accessor& context)
    : m_redis_context(redis_context), m_context(context) {}

company objects_creator::create_company(const std::string& uid) {
    return company::create(m_redis_context, m_context, uid);
}

project objects_creator::create_project(const std::string& uid, const std::string& company_uid) {
    return project::create(m_redis_context, m_context, uid, company_uid);
}

location objects_creator::create_location(const std::string& uid, const std::string& project_uid) {
    return location::create(m_redis_context, m_context, uid, project_uid);
}

sublocation objects_creator::create_sublocation(const std::string& uid, const std::string& location_uid) {
    return sublocation::create(m_redis_context, m_context, uid, location_uid);
}

anchor objects_creator::create_anchor(const std::string& uid, const std::string& name, const std::string& type,
                                      const std::string& sublocation_uid, const std::string& location_uid,
                                      const std::string& project_uid, const std::string& company_uid) {
    return anchor::create(m_redis_context, m_context, uid, name, type, sublocation_uid, location_uid, project_uid,
                          company_uid);
}

trackable objects_creator::create_trackable(const std::string& uid, const std::string& name,
                                            const std::string& project_uid, const std::string& company_uid) {
    return trackable::create(m_redis_context, m_context, uid, name, project_uid, company_uid);
}

node objects_creator::create_node(const std::string& mac) { return node::create(m_redis_context, m_context, mac); }

module objects_creator::create_module(const std::string& uid, const std::string& name, const std::string& state,
                                      const utils::timestamp& state_change_time, const std::string& version) {
    return module::create(m_redis_context, m_context, uid, name, state, state_change_time, version);
}

tdoa_settings objects_creator::create_tdoa_settings(const std::string& uid) {
    return tdoa_settings::create(m_redis_context, m_context, uid);
}

tdoa_schedule objects_creator::create_tdoa_schedule(const std::string& uid) {
    return tdoa_schedule::create(m_redis_context, m_context, uid);
}

network_settings objects_creator::create_network_settings(const std::string& uid) {
    return network_settings::create(m_redis_context, m_context, uid);
}

shm_status objects_creator::create_shm_status(const std::string& uid) {
    return shm_status::create(m_redis_context, m_context, uid);
}

} // namespace orv::context
