#pragma once

#include "utils/timestamp.h"

#include <string>

namespace orv::context {
class anchor;
class trackable;
class node;
class location;
class sublocation;
class tdoa_settings;
class tdoa_schedule;
class network_settings;
class module;
} // namespace orv::context

namespace orv::data_synchronization {

// Watcher of site context changes. Records passed to a callback are views of
// the context valid only for the duration of the call. The stamp is the time
// of the change: the current time for loads and periodic refreshes, the
// message time for notifications.
class context_updates_subscriber {
public:
    using timestamp = utils::timestamp;

    virtual ~context_updates_subscriber() = default;

    virtual void on_anchor_update_after(const context::anchor& anchor, const timestamp& stamp) = 0;
    virtual void on_anchor_delete_before(const context::anchor& anchor, const timestamp& stamp) = 0;
    virtual void on_trackable_update_after(const context::trackable& trackable, const timestamp& stamp) = 0;
    virtual void on_trackable_delete_before(const context::trackable& trackable, const timestamp& stamp) = 0;
    virtual void on_node_announce(const context::anchor& anchor, const timestamp& stamp) = 0;
    virtual void on_heartbeat(const context::anchor& anchor, bool synchronised, const timestamp& stamp) = 0;
    virtual void on_bat_parameter_received(const context::node& node, const timestamp& stamp) = 0;
    virtual void on_node_delete_before(const context::node& node, const timestamp& stamp) = 0;
    virtual void on_location_update_after(const context::location& location, const timestamp& stamp) = 0;
    virtual void on_location_delete_before(const context::location& location, const timestamp& stamp) = 0;
    virtual void on_location_delete_after(const std::string& location_uid, const timestamp& stamp) = 0;
    virtual void on_sublocation_update_after(const context::sublocation& sublocation, const timestamp& stamp) = 0;
    virtual void on_sublocation_delete_before(const context::sublocation& sublocation, const timestamp& stamp) = 0;
    virtual void on_sublocation_delete_after(const std::string& sublocation_uid, const timestamp& stamp) = 0;
    virtual void on_tdoa_settings_update_after(const context::tdoa_settings& settings, const timestamp& stamp) = 0;
    virtual void on_tdoa_settings_delete_before(const context::tdoa_settings& settings, const timestamp& stamp) = 0;
    virtual void on_tdoa_schedule_update_after(const context::tdoa_schedule& schedule, const timestamp& stamp) = 0;
    virtual void on_tdoa_schedule_delete_before(const context::tdoa_schedule& schedule, const timestamp& stamp) = 0;
    virtual void on_network_settings_update_after(const context::network_settings& settings, const timestamp& stamp) = 0;
    virtual void on_network_settings_delete_before(const context::network_settings& settings, const timestamp& stamp) = 0;
    virtual void on_module_update_after(const context::module& module, const timestamp& stamp) = 0;
    virtual void on_module_delete_before(const context::module& module, const timestamp& stamp) = 0;
    virtual void on_modules_info_updated(const timestamp& stamp) = 0;
    virtual void on_system_resources_updated(const timestamp& stamp) = 0;
};

} // namespace orv::data_synchronization
