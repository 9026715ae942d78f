#include "context/node.h"

#include "context/accessor.h"
#include "context/anchor.h"
#include "context/objects_repository.h"
#include "context/trackable.h"
#include "redis/context.h"
#include "utils/exceptions.h"

namespace orv::context {

namespace {
redis::key field(const char* name) { return redis::key(name); }
} // namespace

std::string node::keys::prefix() { return "nodes"; }
redis::key node::keys::set() { return redis::key(prefix() + ":set"); }
redis::key node::keys::data(const std::string& mac) {
    return redis::key(prefix() + ":" + mac + ":data");
}

node::node(std::string mac, redis::context& redis_context, accessor& context)
    : m_mac(std::move(mac)),
      m_data(redis_context.get_hash(keys::data(m_mac))),
      m_uid(redis::string_wrapper::from_hash(redis_context, *m_data, field("uid"))),
      m_name(redis::string_wrapper::from_hash(redis_context, *m_data, field("name"))),
      m_project_uid(redis::string_wrapper::from_hash(redis_context, *m_data, field("project_uid"))),
      m_company_uid(redis::string_wrapper::from_hash(redis_context, *m_data, field("company_uid"))),
      m_anchor_uid(redis::string_wrapper::from_hash(redis_context, *m_data, field("anchor_uid"))),
      m_trackable_uid(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("trackable_uid"))),
      m_hw(redis::string_wrapper::from_hash(redis_context, *m_data, field("hw"))),
      m_sw(redis::string_wrapper::from_hash(redis_context, *m_data, field("sw"))),
      m_parent(redis::string_wrapper::from_hash(redis_context, *m_data, field("parent"))),
      m_node_id(redis::string_wrapper::from_hash(redis_context, *m_data, field("node_id"))),
      m_low_bat(redis::string_wrapper::from_hash(redis_context, *m_data, field("low_bat"))),
      m_anounce_time(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("anounce_time"))),
      m_last_WIN_notify_time(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("last_WIN_notify_time"))),
      m_battery_powered(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("battery_powered"))),
      m_parameters(m_mac, redis_context, context),
      m_redis_context(redis_context),
      m_context(context) {}

node node::create(redis::context& _redis_context, accessor& _context, const std::string& mac) {
    node object(mac, _redis_context, _context);
    object.set_node_id(0);
    object.set_anchor_uid("");
    object.set_hw("");
    object.set_sw("");
    object.set_parent("");
    object.set_battery_powered(false);
    object.set_low_bat(false);
    _redis_context.get_set(keys::set())->add(mac);
    return object;
}

std::string node::get_uid() const { return m_uid.get(); }
void node::set_uid(const std::string& uid) { m_uid.set(uid); }

boost::optional<std::string> node::get_name() const { return m_name.get(); }
void node::set_name(const boost::optional<std::string>& name) { m_name.set(name); }
boost::optional<std::string> node::get_project_uid() const { return m_project_uid.get(); }
void node::set_project_uid(const boost::optional<std::string>& uid) { m_project_uid.set(uid); }
boost::optional<std::string> node::get_company_uid() const { return m_company_uid.get(); }
void node::set_company_uid(const boost::optional<std::string>& uid) { m_company_uid.set(uid); }

std::string node::get_anchor_uid() const { return m_anchor_uid.get(); }
void node::set_anchor_uid(const std::string& _uid) {
    ORV_CHECK(_uid.empty() || m_context.get_anchors().is_exists( _uid ));
    m_anchor_uid.set(_uid);
}

std::string node::get_trackable_uid() const { return m_trackable_uid.get(); }
void node::set_trackable_uid(const std::string& _uid) {
    ORV_CHECK(_uid.empty() || m_context.get_trackables().is_exists( _uid ));
    m_trackable_uid.set(_uid);
}

std::string node::get_hw() const { return m_hw.get(); }
void node::set_hw(const std::string& hw) { m_hw.set(hw); }
std::string node::get_sw() const { return m_sw.get(); }
void node::set_sw(const std::string& sw) { m_sw.set(sw); }
std::string node::get_parent() const { return m_parent.get(); }
void node::set_parent(const std::string& parent) { m_parent.set(parent); }

int node::get_node_id() const { return std::stoi(m_node_id.get()); }
void node::set_node_id(int node_id) { m_node_id.set(std::to_string(node_id)); }

bool node::get_low_bat() const { return m_low_bat.get(); }
void node::set_low_bat(bool low_bat) { m_low_bat.set(low_bat); }
bool node::get_battery_powered() const { return m_battery_powered.get(); }
void node::set_battery_powered(bool battery_powered) { m_battery_powered.set(battery_powered); }

utils::timestamp node::get_anounce_time() const {
    return utils::timestamp::deserialize(m_anounce_time.get());
}
void node::set_anounce_time(const utils::timestamp& ts) { m_anounce_time.set(ts.serialize()); }

utils::timestamp node::get_last_WIN_notify_time() const {
    return utils::timestamp::deserialize(m_last_WIN_notify_time.get());
}
void node::set_last_WIN_notify_time(const utils::timestamp& ts) {
    m_last_WIN_notify_time.set(ts.serialize());
}

void node::remove() {
    // Unbinding goes through the anchor and trackable records, which fetch
    // this node by MAC: it must still be registered here.
    const std::string anchor_uid = m_anchor_uid.get();
    if (!anchor_uid.empty()) {
        m_context.get_anchors().get(anchor_uid).set_mac("");
    }
    const std::string trackable_uid = m_trackable_uid.get();
    if (!trackable_uid.empty()) {
        m_context.get_trackables().get(trackable_uid).set_mac(boost::none);
    }
    m_redis_context.get_set(keys::set())->rem(m_mac);
    m_parameters.remove();
    m_data->clear();
}

} // namespace orv::context
