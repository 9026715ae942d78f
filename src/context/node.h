#pragma once

#include "context/node_parameters.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/bool_wrapper.h"
#include "redis/wrappers/optional_string_wrapper.h"
#include "redis/wrappers/string_wrapper.h"
#include "utils/timestamp.h"

#include <boost/optional.hpp>

#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// One radio module of the wireless infrastructure, keyed by its MAC address.
// May serve one anchor or one trackable; the link is kept on both sides.
class node {
public:
    struct keys {
        static std::string prefix();                      // "nodes"
        static redis::key set();                         // "nodes:set"
        static redis::key data(const std::string& mac);  // "nodes:<mac>:data"
    };

    node(std::string mac, redis::context& redis_context, accessor& context);

    static node create(redis::context& _redis_context, accessor& _context, const std::string& mac);

    const std::string& get_mac() const { return m_mac; }

    std::string get_uid() const;
    void set_uid(const std::string& uid);

    boost::optional<std::string> get_name() const;
    void set_name(const boost::optional<std::string>& name);
    boost::optional<std::string> get_project_uid() const;
    void set_project_uid(const boost::optional<std::string>& uid);
    boost::optional<std::string> get_company_uid() const;
    void set_company_uid(const boost::optional<std::string>& uid);

    // Back links of the anchor / trackable binding; a non-empty uid must be
    // registered. The record side is anchor::set_mac / trackable::set_mac.
    std::string get_anchor_uid() const;
    void set_anchor_uid(const std::string& _uid);
    std::string get_trackable_uid() const;
    void set_trackable_uid(const std::string& _uid);

    std::string get_hw() const;
    void set_hw(const std::string& hw);
    std::string get_sw() const;
    void set_sw(const std::string& sw);
    std::string get_parent() const;
    void set_parent(const std::string& parent);

    // Throws std::invalid_argument / std::out_of_range on a non-numeric text.
    int get_node_id() const;
    void set_node_id(int node_id);

    bool get_low_bat() const;
    void set_low_bat(bool low_bat);
    bool get_battery_powered() const;
    void set_battery_powered(bool battery_powered);

    utils::timestamp get_anounce_time() const;
    void set_anounce_time(const utils::timestamp& ts);
    utils::timestamp get_last_WIN_notify_time() const;
    void set_last_WIN_notify_time(const utils::timestamp& ts);

    node_parameters& get_parameters() { return m_parameters; }
    const node_parameters& get_parameters() const { return m_parameters; }

    void remove();

private:
    std::string m_mac;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_uid;
    redis::optional_string_wrapper m_name;
    redis::optional_string_wrapper m_project_uid;
    redis::optional_string_wrapper m_company_uid;
    redis::string_wrapper m_anchor_uid;
    redis::string_wrapper m_trackable_uid;
    redis::string_wrapper m_hw;
    redis::string_wrapper m_sw;
    redis::string_wrapper m_parent;
    redis::string_wrapper m_node_id;
    redis::bool_wrapper m_low_bat;
    redis::string_wrapper m_anounce_time;
    redis::string_wrapper m_last_WIN_notify_time;
    redis::bool_wrapper m_battery_powered;
    node_parameters m_parameters;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
