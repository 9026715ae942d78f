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

// A project of a company; its child set lists the uids of its locations.
class project {
public:
    using uid_callback = std::function<bool(const std::string& uid)>;

    struct keys {
        static std::string prefix();                          // "projects"
        static redis::key set();                              // "projects:set"
        static redis::key data(const std::string& uid);       // "projects:<uid>:data"
        static redis::key locations(const std::string& uid);  // "projects:<uid>:locations"
    };

    project(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    bool has_location(const std::string& uid) const;
    void add_location(const std::string& uid);
    void remove_location(const std::string& uid);
    // Ascending uid order; stops at the first false and returns false.
    bool for_each_location(const uid_callback& callback) const;

    // Uid of the parent company; empty when never set.
    std::string get_company_uid() const;
    // Moves the record from its current parent's child set to the given company's.
    // An unregistered new parent fails (does-not-exist) before anything changes;
    // a former parent that is no longer registered is skipped.
    void set_company_uid(const std::string& uid);

    // Unregisters the record, unlinks it from its parent (when that parent is
    // still registered) and deletes its keys.
    // Its locations stay registered.
    void remove();

    static project create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                          const std::string& _company_uid);

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_locations;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_company_uid;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
