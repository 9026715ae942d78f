#include "context/node_parameters.h"

#include "redis/context.h"
#include "utils/json.h"

#include <climits>
#include <stdexcept>

namespace orv::context {

namespace {

redis::key field(const char* name) { return redis::key(name); }

// A member that is missing or not an int reads as 0.
int int_member(const Json::Value& object, const char* name) {
    if (!object.isObject()) {
        return 0;
    }
    const Json::Value& member = object[name];
    return member.isConvertibleTo(Json::intValue) ? member.asInt() : 0;
}

} // namespace

std::string node_parameters::keys::prefix(const std::string& mac) {
    return "nodes:" + mac + ":parameters";
}
redis::key node_parameters::keys::al_bs(const std::string& mac) {
    return redis::key(prefix(mac) + ":al_bs");
}
redis::key node_parameters::keys::sf(const std::string& mac) {
    return redis::key(prefix(mac) + ":sf");
}
redis::key node_parameters::keys::tdoa_schedule(const std::string& mac) {
    return redis::key(prefix(mac) + ":tdoa_schedule");
}
redis::key node_parameters::keys::nwk_rpl(const std::string& mac) {
    return redis::key(prefix(mac) + ":nwk_rpl");
}
redis::key node_parameters::keys::bat(const std::string& mac) {
    return redis::key(prefix(mac) + ":bat");
}
redis::key node_parameters::keys::service_mode(const std::string& mac) {
    return redis::key(prefix(mac) + ":service_mode");
}

node_parameters::node_parameters(const std::string& mac, redis::context& redis_context,
                                 accessor& context)
    : m_al_bs(redis_context.get_hash(keys::al_bs(mac))),
      m_sf(redis_context.get_hash(keys::sf(mac))),
      m_sf_addr(redis::string_wrapper::from_hash(redis_context, *m_sf, field("addr"))),
      m_sf_sfd(redis::string_wrapper::from_hash(redis_context, *m_sf, field("sfd"))),
      m_tdoa_schedule(redis_context.get_set(keys::tdoa_schedule(mac))),
      m_nwk_rpl(redis_context.get_hash(keys::nwk_rpl(mac))),
      m_nwk_rpl_ts(redis::string_wrapper::from_hash(redis_context, *m_nwk_rpl, field("ts"))),
      m_bat(redis_context.get_hash(keys::bat(mac))),
      m_bat_mv(redis::string_wrapper::from_hash(redis_context, *m_bat, field("mv"))),
      m_bat_pr(redis::string_wrapper::from_hash(redis_context, *m_bat, field("pr"))),
      m_service_mode(redis_context.get_hash(keys::service_mode(mac))),
      m_service_mode_value(
          redis::string_wrapper::from_hash(redis_context, *m_service_mode, field("value"))),
      m_service_mode_ts(
          redis::string_wrapper::from_hash(redis_context, *m_service_mode, field("ts"))),
      m_redis_context(redis_context),
      m_context(context) {}

void node_parameters::set_bias(const std::string& addr, int bias) {
    m_al_bs->set(addr, std::to_string(bias));
}

int node_parameters::get_bias(const std::string& addr) const {
    // try_get rather than get: an absent address is out of range whether or
    // not the cached copy of the hash is attached.
    const auto stored = m_al_bs->try_get(addr);
    if (!stored.first) {
        throw std::out_of_range("No TDOA bias stored for address '" + addr + "'");
    }
    return stored.second.empty() ? 0 : std::stoi(stored.second);
}

bool node_parameters::for_each_bias(const bias_callback& callback) const {
    return m_al_bs->for_each_element([&callback](const std::string& addr, const std::string& value) {
        return callback(addr, std::stoi(value));
    });
}

void node_parameters::remove_all_biases() { m_al_bs->clear(); }

void node_parameters::set_sf(const std::string& addr, unsigned sfd) {
    m_sf_addr.set(addr);
    m_sf_sfd.set(std::to_string(sfd));
}

std::string node_parameters::get_sf_addr() const { return m_sf_addr.get(); }

unsigned node_parameters::get_sf_sfd() const {
    const std::string text = m_sf_sfd.get();
    if (text.empty()) {
        return 0;
    }
    // Read as unsigned so that every value set_sf stores reads back.
    const unsigned long value = std::stoul(text);
    if (value > UINT_MAX) {
        throw std::out_of_range("Sync-frame number out of range: " + text);
    }
    return static_cast<unsigned>(value);
}

void node_parameters::clear_sf() { m_sf->clear(); }

std::string node_parameters::to_json_text(const tdoa_schedule_item& item) {
    Json::Value object(Json::objectValue);
    object["slot"] = item.slot;
    object["dimention"] = item.dimention;
    object["edg_type"] = item.edg_type;
    object["section"] = item.section;
    object["margin"] = item.margin;
    object["node_id"] = item.node_id;
    object["x"] = item.x;
    object["y"] = item.y;
    object["z"] = item.z;
    return utils::json_to_string(object);
}

void node_parameters::add_tdoa_schedule_item(const tdoa_schedule_item& item) {
    m_tdoa_schedule->add(to_json_text(item));
}

bool node_parameters::for_each_tdoa_shedule_items(const tdoa_schedule_item_callback& callback) const {
    return m_tdoa_schedule->for_each_member([&callback](const std::string& text) {
        const Json::Value object = utils::json_parse(text);
        tdoa_schedule_item item;
        item.slot = int_member(object, "slot");
        item.dimention = int_member(object, "dimention");
        item.edg_type = int_member(object, "edg_type");
        item.section = int_member(object, "section");
        item.margin = int_member(object, "margin");
        item.node_id = int_member(object, "node_id");
        item.x = int_member(object, "x");
        item.y = int_member(object, "y");
        item.z = int_member(object, "z");
        return callback(item);
    });
}

void node_parameters::remove_all_tdoa_schedule_items() { m_tdoa_schedule->clear(); }

void node_parameters::set_nwk_rpl(const utils::timestamp& ts) { m_nwk_rpl_ts.set(ts); }
utils::timestamp node_parameters::get_nwk_rpl_ts() const { return m_nwk_rpl_ts.get(); }
void node_parameters::clear_nwk_rpl() { m_nwk_rpl->clear(); }

void node_parameters::set_bat(int mv, int pr) {
    m_bat_mv.set(mv);
    m_bat_pr.set(pr);
}
boost::optional<int> node_parameters::get_bat_mv() const { return m_bat_mv.get(); }
boost::optional<int> node_parameters::get_bat_pr() const { return m_bat_pr.get(); }
void node_parameters::clear_bat() { m_bat->clear(); }

void node_parameters::set_service_mode(int value, const utils::timestamp& ts) {
    m_service_mode_value.set(value);
    m_service_mode_ts.set(ts);
}
int node_parameters::get_service_mode_value() const { return m_service_mode_value.get(); }
utils::timestamp node_parameters::get_service_mode_ts() const { return m_service_mode_ts.get(); }
void node_parameters::clear_service_mode() { m_service_mode->clear(); }

void node_parameters::remove() {
    m_al_bs->clear();
    m_sf->clear();
    m_nwk_rpl->clear();
    m_tdoa_schedule->clear();
    m_bat->clear();
    m_service_mode->clear();
}

} // namespace orv::context
