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

// A location of a project; its child set lists the uids of its sublocations.
class location {
public:
    using uid_callback = std::function<bool(const std::string& uid)>;

    struct keys {
        static std::string prefix();                          // "locations"
        static redis::key set();                              // "locations:set"
        static redis::key data(const std::string& uid);       // "locations:<uid>:data"
        static redis::key sublocations(const std::string& uid);// "locations:<uid>:sublocations"
    };

    location(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    bool has_sublocation(const std::string& uid) const;
    void add_sublocation(const std::string& uid);
    void remove_sublocation(const std::string& uid);
    // Ascending uid order; stops at the first false and returns false.
    bool for_each_sublocation(const uid_callback& callback) const;

    // Uid of the parent project; empty when never set.
    std::string get_project_uid() const;
    // Moves the record from its current parent's child set to the given project's.
    // An unregistered new parent fails (does-not-exist) before anything changes;
    // a former parent that is no longer registered is skipped.
    void set_project_uid(const std::string& uid);

    // Unregisters the record, unlinks it from its parent (when that parent is
    // still registered) and deletes its keys.
    // Its sublocations stay registered.
    void remove();

    static location create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                           const std::string& _project_uid);

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_sublocations;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_project_uid;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
