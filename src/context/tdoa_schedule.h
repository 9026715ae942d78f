#pragma once

#include "redis/key.h"
#include "redis/set.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// A TDOA schedule: a set of measurement items, each stored as compact JSON.
class tdoa_schedule {
public:
    struct item {
        int number = 0;
        std::string src_uid;
        std::string dst_uid;
        int slot_num = 0;
        int section = 0;
        int dimension = 0;
        int edg_type = 0;
        int margin = 0;

        friend bool operator==(const item& a, const item& b) {
            return a.number == b.number && a.src_uid == b.src_uid && a.dst_uid == b.dst_uid &&
                   a.slot_num == b.slot_num && a.section == b.section &&
                   a.dimension == b.dimension && a.edg_type == b.edg_type && a.margin == b.margin;
        }
        friend bool operator!=(const item& a, const item& b) { return !(a == b); }
    };

    struct keys {
        static std::string prefix();                       // "tdoa_schedules"
        static redis::key set();                          // "tdoa_schedules:set"
        static redis::key items(const std::string& uid);  // "tdoa_schedules:<uid>:items"
    };

    using item_callback = std::function<bool(item)>;

    tdoa_schedule(std::string uid, redis::context& redis_context, accessor& context);

    static tdoa_schedule create(redis::context& _redis_context, accessor& _context,
                                const std::string& _uid);

    const std::string& get_uid() const { return m_uid; }

    void add_item(const item& value);
    void clear_items();
    // Items in ascending order of their JSON text; stops at the first false.
    bool for_each_items(const item_callback& callback) const;
    static std::string to_json_text(const item& value);

    void remove();

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_items;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
