#include "data_synchronization/context_updates_distributor.h"

namespace orv::data_synchronization {

context_updates_distributor::context_updates_distributor(utils::logger& logger) : m_logger(logger) {}

void context_updates_distributor::add_subscriber(context_updates_subscriber& subscriber) {
    m_subscribers.emplace_back(subscriber);
}

void context_updates_distributor::for_each_subscriber(
    const std::function<void(context_updates_subscriber&)>& call) {
    // By index: a subscriber may register another one while being called.
    for (std::size_t i = 0; i < m_subscribers.size(); ++i) {
        call(m_subscribers[i].get());
    }
}

void context_updates_distributor::notify_anchor_update_after(const context::anchor& anchor, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_anchor_update_after(anchor, stamp); });
}

void context_updates_distributor::notify_anchor_delete_before(const context::anchor& anchor, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_anchor_delete_before(anchor, stamp); });
}

void context_updates_distributor::notify_trackable_update_after(const context::trackable& trackable,
                                                                const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_trackable_update_after(trackable, stamp); });
}

void context_updates_distributor::notify_trackable_delete_before(const context::trackable& trackable,
                                                                 const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_trackable_delete_before(trackable, stamp); });
}

void context_updates_distributor::notify_node_announce(const context::anchor& anchor, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_node_announce(anchor, stamp); });
}

void context_updates_distributor::notify_heartbeat(const context::anchor& anchor, bool synchronised,
                                                   const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_heartbeat(anchor, synchronised, stamp); });
}

void context_updates_distributor::notify_bat_parameter_received(const context::node& node, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_bat_parameter_received(node, stamp); });
}

void context_updates_distributor::notify_node_delete_before(const context::node& node, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_node_delete_before(node, stamp); });
}

void context_updates_distributor::notify_sublocation_update_after(const context::sublocation& sublocation,
                                                                  const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_sublocation_update_after(sublocation, stamp); });
}

void context_updates_distributor::notify_sublocation_delete_before(const context::sublocation& sublocation,
                                                                   const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_sublocation_delete_before(sublocation, stamp); });
}

void context_updates_distributor::notify_sublocation_delete_after(const std::string& sublocation_uid,
                                                                  const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_sublocation_delete_after(sublocation_uid, stamp); });
}

void context_updates_distributor::notify_location_update_after(const context::location& location,
                                                               const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_location_update_after(location, stamp); });
}

void context_updates_distributor::notify_location_delete_before(const context::location& location,
                                                                const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_location_delete_before(location, stamp); });
}

void context_updates_distributor::notify_location_delete_after(const std::string& location_uid,
                                                               const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_location_delete_after(location_uid, stamp); });
}

void context_updates_distributor::notify_tdoa_settings_update_after(const context::tdoa_settings& settings,
                                                                    const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_tdoa_settings_update_after(settings, stamp); });
}

void context_updates_distributor::notify_tdoa_settings_delete_before(const context::tdoa_settings& settings,
                                                                     const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_tdoa_settings_delete_before(settings, stamp); });
}

void context_updates_distributor::notify_tdoa_schedule_update_after(const context::tdoa_schedule& schedule,
                                                                    const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_tdoa_schedule_update_after(schedule, stamp); });
}

void context_updates_distributor::notify_tdoa_schedule_delete_before(const context::tdoa_schedule& schedule,
                                                                     const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_tdoa_schedule_delete_before(schedule, stamp); });
}

void context_updates_distributor::notify_network_settings_update_after(const context::network_settings& settings,
                                                                       const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_network_settings_update_after(settings, stamp); });
}

void context_updates_distributor::notify_network_settings_delete_before(const context::network_settings& settings,
                                                                        const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_network_settings_delete_before(settings, stamp); });
}

void context_updates_distributor::notify_module_update_after(const context::module& module, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_module_update_after(module, stamp); });
}

void context_updates_distributor::notify_module_delete_before(const context::module& module, const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_module_delete_before(module, stamp); });
}

void context_updates_distributor::notify_modules_info_updated(const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_modules_info_updated(stamp); });
}

void context_updates_distributor::notify_system_resources_updated(const timestamp& stamp) {
    for_each_subscriber([&](context_updates_subscriber& s) { s.on_system_resources_updated(stamp); });
}

} // namespace orv::data_synchronization
