#include "context/anchor.h"

#include "context/accessor.h"
#include "context/node.h"
#include "context/node_binding.h"
#include "context/objects_creator.h"
#include "context/objects_repository.h"
#include "context/shm_status.h"
#include "context/sublocation.h"
#include "redis/context.h"
#include "utils/exceptions.h"

namespace orv::context {

namespace {
redis::key field(const char* name) { return redis::key(name); }
} // namespace

std::string anchor::keys::prefix() { return "anchors"; }
redis::key anchor::keys::set() { return redis::key(prefix() + ":set"); }
redis::key anchor::keys::data(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":data");
}

anchor::anchor(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_name(redis::string_wrapper::from_hash(redis_context, *m_data, field("name"))),
      m_type(redis::string_wrapper::from_hash(redis_context, *m_data, field("type"))),
      m_mac(redis::string_wrapper::from_hash(redis_context, *m_data, field("mac"))),
      m_sublocation_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("sublocation_uid"))),
      m_location_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("location_uid"))),
      m_project_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("project_uid"))),
      m_company_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("company_uid"))),
      m_responsive(redis::string_wrapper::from_hash(redis_context, *m_data, field("is_responsive"))),
      m_redis_context(redis_context),
      m_context(context) {}

anchor anchor::create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                      const std::string& _name, const std::string& _type,
                      const std::string& _sublocation_uid, const std::string& _location_uid,
                      const std::string& _project_uid, const std::string& _company_uid) {
    ORV_CHECK(_context.get_sublocations().is_exists( _sublocation_uid ));

    anchor object(_uid, _redis_context, _context);
    object.set_name(_name);
    object.set_type(_type);
    object.set_mac("");
    object.set_sublocation_uid(_sublocation_uid);
    object.set_location_uid(_location_uid);
    object.set_project_uid(_project_uid);
    object.set_company_uid(_company_uid);
    _context.get_objects_creator().create_shm_status(_uid);

    // Registered last: a half-built anchor is not visible through the repository.
    _redis_context.get_set(keys::set())->add(_uid);
    return object;
}

std::string anchor::get_name() const { return m_name.get(); }
void anchor::set_name(const std::string& name) { m_name.set(name); }
std::string anchor::get_type() const { return m_type.get(); }
void anchor::set_type(const std::string& type) { m_type.set(type); }

std::string anchor::get_mac() const { return m_mac.get(); }

void anchor::set_mac(const std::string& mac) {
    detail::bind_to_node(m_context, m_context.get_anchors(), m_uid, mac, m_mac, &anchor::m_mac,
                         &node::get_anchor_uid, &node::set_anchor_uid);
}

std::string anchor::get_sublocation_uid() const { return m_sublocation_uid.get(); }

void anchor::set_sublocation_uid(const std::string& uid) {
    auto& sublocations = m_context.get_sublocations();
    // The new sublocation is fetched first, so that an unknown one fails before
    // the anchor leaves its current sublocation.
    auto new_parent = sublocations.get(uid);
    const std::string stored = m_sublocation_uid.get();
    if (!stored.empty()) {
        // A sublocation that is gone has taken its anchor set with it.
        if (auto old_parent = sublocations.try_get(stored)) {
            old_parent->remove_anchor(m_uid);
        }
    }
    new_parent.add_anchor(m_uid);
    m_sublocation_uid.set(uid);
}

std::string anchor::get_location_uid() const { return m_location_uid.get(); }
void anchor::set_location_uid(const std::string& uid) { m_location_uid.set(uid); }
std::string anchor::get_project_uid() const { return m_project_uid.get(); }
void anchor::set_project_uid(const std::string& uid) { m_project_uid.set(uid); }
std::string anchor::get_company_uid() const { return m_company_uid.get(); }
void anchor::set_company_uid(const std::string& uid) { m_company_uid.set(uid); }

bool anchor::get_responsive() const { return m_responsive.get(); }
void anchor::set_responsive(bool responsive) { m_responsive.set(responsive); }

void anchor::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);

    const std::string mac = m_mac.get();
    if (!mac.empty()) {
        auto bound = m_context.get_nodes().get(mac);
        if (bound.get_anchor_uid() == m_uid) {
            bound.set_anchor_uid("");
        }
    }
    // A sublocation removed before its anchors has taken its anchor set with it.
    if (auto parent = m_context.get_sublocations().try_get(m_sublocation_uid.get())) {
        parent->remove_anchor(m_uid);
    }
    m_context.get_shm_statuses().remove(m_uid);
    m_data->clear();
}

} // namespace orv::context
