#include "context/company.h"

namespace orv::context {

std::string company::keys::prefix() { return "companies"; }
redis::key company::keys::set() { return redis::key(prefix() + ":set"); }
redis::key company::keys::data(const std::string& uid) { return redis::key(prefix() + ":" + uid + ":data"); }
redis::key company::keys::projects(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":projects");
}

company::company(std::string uid, redis::context& redis_context, accessor& /*context*/)
    : m_uid(std::move(uid)), m_projects(redis_context.get_set(keys::projects(m_uid))),
      m_data(redis_context.get_hash(keys::data(m_uid))), m_redis_context(redis_context) {}

bool company::has_project(const std::string& uid) const { return m_projects->is_member(uid); }
void company::add_project(const std::string& uid) { m_projects->add(uid); }
void company::remove_project(const std::string& uid) { m_projects->rem(uid); }

bool company::for_each_project(const uid_callback& callback) const {
    return m_projects->for_each_member([&callback](const std::string& uid) { return callback(uid); });
}

void company::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_data->clear();
    m_projects->clear();
}

company company::create(redis::context& redis_context, accessor& context, const std::string& uid) {
    company result(uid, redis_context, context);
    redis_context.get_set(keys::set())->add(uid);
    return result;
}

} // namespace orv::context
