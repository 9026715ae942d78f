#include "context/tdoa_settings.h"

#include "redis/context.h"

namespace orv::context {

namespace {
redis::key field(const char* name) { return redis::key(name); }
} // namespace

std::string tdoa_settings::keys::prefix() { return "tdoa_settings"; }
redis::key tdoa_settings::keys::set() { return redis::key(prefix() + ":set"); }
redis::key tdoa_settings::keys::data(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":data");
}
redis::key tdoa_settings::keys::masters(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":masters");
}

tdoa_settings::tdoa_settings(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_autostart(redis::string_wrapper::from_hash(redis_context, *m_data, field("autostart"))),
      m_configured_state(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("configured_state"))),
      m_active_schedule(
          redis::string_wrapper::from_hash(redis_context, *m_data, field("active_schedule"))),
      m_masters(redis_context.get_set(keys::masters(m_uid))),
      m_redis_context(redis_context),
      m_context(context) {}

tdoa_settings tdoa_settings::create(redis::context& _redis_context, accessor& _context,
                                    const std::string& _project_uid) {
    tdoa_settings object(_project_uid, _redis_context, _context);
    _redis_context.get_set(keys::set())->add(_project_uid);
    return object;
}

bool tdoa_settings::get_autostart() const { return m_autostart.get(); }
void tdoa_settings::set_autostart(bool autostart) { m_autostart.set(autostart); }
bool tdoa_settings::get_configured_state() const { return m_configured_state.get(); }
void tdoa_settings::set_configured_state(bool configured_state) {
    m_configured_state.set(configured_state);
}
std::string tdoa_settings::get_active_schedule() const { return m_active_schedule.get(); }
void tdoa_settings::set_active_schedule(const std::string& schedule_uid) {
    m_active_schedule.set(schedule_uid);
}

bool tdoa_settings::has_master(const std::string& uid) const { return m_masters->is_member(uid); }
void tdoa_settings::add_master(const std::string& uid) { m_masters->add(uid); }
void tdoa_settings::clear_masters() { m_masters->clear(); }
bool tdoa_settings::for_each_master(const master_callback& callback) const {
    return m_masters->for_each_member(callback);
}

void tdoa_settings::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_data->clear();
    m_masters->clear();
}

} // namespace orv::context
