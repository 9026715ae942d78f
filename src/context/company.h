#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/set.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::context {

class accessor;

// A company of the installation: the root of the organisation tree. Its data
// hash holds no fields; its child set lists the uids of its projects.
class company {
public:
    using uid_callback = std::function<bool(const std::string& uid)>;

    struct keys {
        static std::string prefix();                          // "companies"
        static redis::key set();                              // "companies:set"
        static redis::key data(const std::string& uid);       // "companies:<uid>:data"
        static redis::key projects(const std::string& uid);   // "companies:<uid>:projects"
    };

    company(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    bool has_project(const std::string& uid) const;
    void add_project(const std::string& uid);
    void remove_project(const std::string& uid);
    // Ascending uid order; stops at the first false and returns false.
    bool for_each_project(const uid_callback& callback) const;

    // Unregisters the company and deletes its keys. Its projects stay registered.
    void remove();

    static company create(redis::context& redis_context, accessor& context, const std::string& uid);

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_projects;
    std::unique_ptr<redis::hash> m_data;
    redis::context& m_redis_context;
};

} // namespace orv::context
