#pragma once

#include "data_synchronization/context_updates_subscriber.h"
#include "utils/noncopyable.h"

#include <functional>
#include <string>
#include <vector>

namespace orv::utils {
class logger;
}

namespace orv::data_synchronization {

// Announces every context change to the registered subscribers, synchronously
// and in registration order. An exception from a subscriber leaves the call at
// once: later subscribers do not hear of that change.
class context_updates_distributor : utils::noncopyable {
public:
    using timestamp = utils::timestamp;

    explicit context_updates_distributor(utils::logger& logger);

    // Appends; a subscriber added twice is called twice.
    void add_subscriber(context_updates_subscriber& subscriber);

    void notify_anchor_update_after(const context::anchor& anchor, const timestamp& stamp);
    void notify_anchor_delete_before(const context::anchor& anchor, const timestamp& stamp);
    void notify_trackable_update_after(const context::trackable& trackable, const timestamp& stamp);
    void notify_trackable_delete_before(const context::trackable& trackable, const timestamp& stamp);
    void notify_node_announce(const context::anchor& anchor, const timestamp& stamp);
    void notify_heartbeat(const context::anchor& anchor, bool synchronised, const timestamp& stamp);
    void notify_bat_parameter_received(const context::node& node, const timestamp& stamp);
    void notify_node_delete_before(const context::node& node, const timestamp& stamp);
    void notify_sublocation_update_after(const context::sublocation& sublocation, const timestamp& stamp);
    void notify_sublocation_delete_before(const context::sublocation& sublocation, const timestamp& stamp);
    void notify_sublocation_delete_after(const std::string& sublocation_uid, const timestamp& stamp);
    void notify_location_update_after(const context::location& location, const timestamp& stamp);
    void notify_location_delete_before(const context::location& location, const timestamp& stamp);
    void notify_location_delete_after(const std::string& location_uid, const timestamp& stamp);
    void notify_tdoa_settings_update_after(const context::tdoa_settings& settings, const timestamp& stamp);
    void notify_tdoa_settings_delete_before(const context::tdoa_settings& settings, const timestamp& stamp);
    void notify_tdoa_schedule_update_after(const context::tdoa_schedule& schedule, const timestamp& stamp);
    void notify_tdoa_schedule_delete_before(const context::tdoa_schedule& schedule, const timestamp& stamp);
    void notify_network_settings_update_after(const context::network_settings& settings, const timestamp& stamp);
    void notify_network_settings_delete_before(const context::network_settings& settings, const timestamp& stamp);
    void notify_module_update_after(const context::module& module, const timestamp& stamp);
    void notify_module_delete_before(const context::module& module, const timestamp& stamp);
    void notify_modules_info_updated(const timestamp& stamp);
    void notify_system_resources_updated(const timestamp& stamp);

private:
    void for_each_subscriber(const std::function<void(context_updates_subscriber&)>& call);

    utils::logger& m_logger;
    std::vector<std::reference_wrapper<context_updates_subscriber>> m_subscribers;
};

} // namespace orv::data_synchronization
