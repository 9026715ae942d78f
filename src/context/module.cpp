#include "context/module.h"

namespace orv::context {

std::string module::keys::prefix() { return "modules"; }
redis::key module::keys::set() { return redis::key(prefix() + ":set"); }
redis::key module::keys::data(const std::string& uid) { return redis::key(prefix() + ":" + uid + ":data"); }

module::module(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)), m_data(redis_context.get_hash(keys::data(m_uid))),
      m_name(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("name"))),
      m_state(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("state"))),
      m_state_change_time(
          redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("state_change_time"))),
      m_version(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("version"))),
      m_redis_context(redis_context), m_context(context) {}

std::string module::get_name() const { return m_name.get(); }
void module::set_name(const std::string& name) { m_name.set(name); }
std::string module::get_state() const { return m_state.get(); }
void module::set_state(const std::string& state) { m_state.set(state); }

utils::timestamp module::get_state_change_time() const {
    return utils::timestamp::deserialize(m_state_change_time.get());
}

void module::set_state_change_time(const utils::timestamp& time) { m_state_change_time.set(time.serialize()); }

std::string module::get_version() const { return m_version.get(); }
void module::set_version(const std::string& version) { m_version.set(version); }

void module::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_data->clear();
}

module module::create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                      const std::string& _name, const std::string& _state,
                      const utils::timestamp& _state_change_time, const std::string& _version) {
    module result(_uid, _redis_context, _context);
    result.set_name(_name);
    result.set_state(_state);
    result.set_state_change_time(_state_change_time);
    result.set_version(_version);
    _redis_context.get_set(keys::set())->add(_uid);
    return result;
}

} // namespace orv::context
