#include "context/trackable.h"

#include "context/accessor.h"
#include "context/node.h"
#include "context/node_binding.h"
#include "context/objects_repository.h"
#include "redis/context.h"

namespace orv::context {

namespace {
redis::key field(const char* name) { return redis::key(name); }
} // namespace

std::string trackable::keys::prefix() { return "trackables"; }
redis::key trackable::keys::set() { return redis::key(prefix() + ":set"); }
redis::key trackable::keys::data(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":data");
}

trackable::trackable(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_name(redis::string_wrapper::from_hash(redis_context, *m_data, field("name"))),
      m_mac(redis::string_wrapper::from_hash(redis_context, *m_data, field("mac"))),
      m_sublocation_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("sublocation_uid"))),
      m_project_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("project_uid"))),
      m_company_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("company_uid"))),
      m_redis_context(redis_context),
      m_context(context) {}

trackable trackable::create(redis::context& _redis_context, accessor& _context,
                            const std::string& _uid, const std::string& _name,
                            const std::string& _project_uid, const std::string& _company_uid) {
    trackable object(_uid, _redis_context, _context);
    object.set_name(_name);
    object.set_mac(boost::none);
    object.set_sublocation_uid(boost::none);
    object.set_project_uid(_project_uid);
    object.set_company_uid(_company_uid);
    _redis_context.get_set(keys::set())->add(_uid);
    return object;
}

std::string trackable::get_name() const { return m_name.get(); }
void trackable::set_name(const std::string& name) { m_name.set(name); }

boost::optional<std::string> trackable::get_mac() const {
    std::string mac = m_mac.get();
    if (mac.empty()) {
        return boost::none;
    }
    return mac;
}

void trackable::set_mac(boost::optional<std::string> mac) {
    detail::bind_to_node(m_context, m_context.get_trackables(), m_uid, mac.value_or(""), m_mac,
                         &trackable::m_mac, &node::get_trackable_uid, &node::set_trackable_uid);
}

boost::optional<std::string> trackable::get_sublocation_uid() const {
    return m_sublocation_uid.get();
}
void trackable::set_sublocation_uid(boost::optional<std::string> uid) {
    m_sublocation_uid.set(uid);
}

std::string trackable::get_project_uid() const { return m_project_uid.get(); }
void trackable::set_project_uid(const std::string& uid) { m_project_uid.set(uid); }
std::string trackable::get_company_uid() const { return m_company_uid.get(); }
void trackable::set_company_uid(const std::string& uid) { m_company_uid.set(uid); }

void trackable::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);

    const std::string mac = m_mac.get();
    if (!mac.empty()) {
        auto bound = m_context.get_nodes().get(mac);
        if (bound.get_trackable_uid() == m_uid) {
            bound.set_trackable_uid("");
        }
    }
    m_data->clear();
}

} // namespace orv::context
