#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/set.h"
#include "redis/wrappers/string_wrapper.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::context {

class accessor;

// A sublocation (site) of a location; its child set lists the uids of its anchors.
class sublocation {
public:
    using uid_callback = std::function<bool(const std::string& uid)>;

    struct keys {
        static std::string prefix();                          // "sublocations"
        static redis::key set();                              // "sublocations:set"
        static redis::key data(const std::string& uid);       // "sublocations:<uid>:data"
        static redis::key anchors(const std::string& uid);    // "sublocations:<uid>:anchors"
    };

    sublocation(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    bool has_anchor(const std::string& uid) const;
    void add_anchor(const std::string& uid);
    void remove_anchor(const std::string& uid);
    // Ascending uid order; stops at the first false and returns false.
    bool for_each_anchor(const uid_callback& callback) const;

    // Uid of the parent location; empty when never set.
    std::string get_location_uid() const;
    // Moves the record from its current parent's child set to the given location's.
    // An unregistered new parent fails (does-not-exist) before anything changes;
    // a former parent that is no longer registered is skipped.
    void set_location_uid(const std::string& uid);

    // Unregisters the record, unlinks it from its parent (when that parent is
    // still registered) and deletes its keys.
    // Its anchors stay registered.
    void remove();

    static sublocation create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                              const std::string& _location_uid);

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_anchors;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_location_uid;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
