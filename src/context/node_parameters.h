#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/set.h"
#include "redis/wrappers/int_wrapper.h"
#include "redis/wrappers/optional_int_wrapper.h"
#include "redis/wrappers/string_wrapper.h"
#include "redis/wrappers/timestamp_wrapper.h"
#include "utils/timestamp.h"

#include <boost/optional.hpp>

#include <functional>
#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// Live parameters a node reports: TDOA biases, sync frame, TDOA schedule,
// network reply, battery and service mode. Each group has its own key under
// "nodes:<mac>:parameters".
class node_parameters {
public:
    struct tdoa_schedule_item {
        int slot = 0;
        int dimention = 0;
        int edg_type = 0;
        int section = 0;
        int margin = 0;
        int node_id = 0;
        int x = 0;
        int y = 0;
        int z = 0;

        friend bool operator==(const tdoa_schedule_item& a, const tdoa_schedule_item& b) {
            return a.slot == b.slot && a.dimention == b.dimention && a.edg_type == b.edg_type &&
                   a.section == b.section && a.margin == b.margin && a.node_id == b.node_id &&
                   a.x == b.x && a.y == b.y && a.z == b.z;
        }
        friend bool operator!=(const tdoa_schedule_item& a, const tdoa_schedule_item& b) {
            return !(a == b);
        }
    };

    struct keys {
        static std::string prefix(const std::string& mac);        // "nodes:<mac>:parameters"
        static redis::key al_bs(const std::string& mac);
        static redis::key sf(const std::string& mac);
        static redis::key tdoa_schedule(const std::string& mac);
        static redis::key nwk_rpl(const std::string& mac);
        static redis::key bat(const std::string& mac);
        static redis::key service_mode(const std::string& mac);
    };

    using bias_callback = std::function<bool(const std::string& addr, int bias)>;
    using tdoa_schedule_item_callback = std::function<bool(tdoa_schedule_item)>;

    node_parameters(const std::string& mac, redis::context& redis_context, accessor& context);

    // TDOA biases, one per peer address.
    void set_bias(const std::string& addr, int bias);
    // Throws std::out_of_range for an address that is not stored.
    int get_bias(const std::string& addr) const;
    bool for_each_bias(const bias_callback& callback) const;
    void remove_all_biases();

    // Sync-frame source.
    void set_sf(const std::string& addr, unsigned sfd);
    std::string get_sf_addr() const;
    unsigned get_sf_sfd() const;
    void clear_sf();

    // TDOA schedule items, stored as compact JSON texts.
    void add_tdoa_schedule_item(const tdoa_schedule_item& item);
    bool for_each_tdoa_shedule_items(const tdoa_schedule_item_callback& callback) const;
    void remove_all_tdoa_schedule_items();
    static std::string to_json_text(const tdoa_schedule_item& item);

    // Network reply report.
    void set_nwk_rpl(const utils::timestamp& ts);
    utils::timestamp get_nwk_rpl_ts() const;
    void clear_nwk_rpl();

    // Battery report.
    void set_bat(int mv, int pr);
    boost::optional<int> get_bat_mv() const;
    boost::optional<int> get_bat_pr() const;
    void clear_bat();

    // Service mode report.
    void set_service_mode(int value, const utils::timestamp& ts);
    int get_service_mode_value() const;
    utils::timestamp get_service_mode_ts() const;
    void clear_service_mode();

    void remove();

private:
    std::unique_ptr<redis::hash> m_al_bs;
    std::unique_ptr<redis::hash> m_sf;
    redis::string_wrapper m_sf_addr;
    redis::string_wrapper m_sf_sfd;
    std::unique_ptr<redis::set> m_tdoa_schedule;
    std::unique_ptr<redis::hash> m_nwk_rpl;
    redis::timestamp_wrapper m_nwk_rpl_ts;
    std::unique_ptr<redis::hash> m_bat;
    redis::optional_int_wrapper m_bat_mv;
    redis::optional_int_wrapper m_bat_pr;
    std::unique_ptr<redis::hash> m_service_mode;
    redis::int_wrapper m_service_mode_value;
    redis::timestamp_wrapper m_service_mode_ts;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
