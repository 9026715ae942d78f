#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/optional_string_wrapper.h"
#include "redis/wrappers/string_wrapper.h"

#include <boost/optional.hpp>

#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// A located object, optionally bound to a node by MAC on both sides.
class trackable {
public:
    struct keys {
        static std::string prefix();                      // "trackables"
        static redis::key set();                         // "trackables:set"
        static redis::key data(const std::string& uid);  // "trackables:<uid>:data"
    };

    trackable(std::string uid, redis::context& redis_context, accessor& context);

    static trackable create(redis::context& _redis_context, accessor& _context,
                            const std::string& _uid, const std::string& _name,
                            const std::string& _project_uid, const std::string& _company_uid);

    const std::string& get_uid() const { return m_uid; }

    std::string get_name() const;
    void set_name(const std::string& name);

    // Stored as plain text: nothing is the empty text.
    boost::optional<std::string> get_mac() const;
    void set_mac(boost::optional<std::string> mac);

    boost::optional<std::string> get_sublocation_uid() const;
    void set_sublocation_uid(boost::optional<std::string> uid);

    std::string get_project_uid() const;
    void set_project_uid(const std::string& uid);
    std::string get_company_uid() const;
    void set_company_uid(const std::string& uid);

    void remove();

private:
    std::string m_uid;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_name;
    redis::string_wrapper m_mac;
    redis::optional_string_wrapper m_sublocation_uid;
    redis::string_wrapper m_project_uid;
    redis::string_wrapper m_company_uid;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
