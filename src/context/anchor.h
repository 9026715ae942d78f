#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/bool_wrapper.h"
#include "redis/wrappers/string_wrapper.h"

#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// A fixed radio device of the installation (bridges included). Member of its
// sublocation's anchor set, optionally bound to a node by MAC on both sides,
// and always accompanied by an shm status record.
class anchor {
public:
    struct keys {
        static std::string prefix();                      // "anchors"
        static redis::key set();                         // "anchors:set"
        static redis::key data(const std::string& uid);  // "anchors:<uid>:data"
    };

    anchor(std::string uid, redis::context& redis_context, accessor& context);

    static anchor create(redis::context& _redis_context, accessor& _context,
                         const std::string& _uid, const std::string& _name,
                         const std::string& _type, const std::string& _sublocation_uid,
                         const std::string& _location_uid, const std::string& _project_uid,
                         const std::string& _company_uid);

    const std::string& get_uid() const { return m_uid; }

    std::string get_name() const;
    void set_name(const std::string& name);
    std::string get_type() const;
    void set_type(const std::string& type);

    // MAC of the bound node, empty when none. Setting a MAC binds that node to
    // this anchor; an unregistered MAC unbinds the anchor.
    std::string get_mac() const;
    void set_mac(const std::string& mac);

    // Moves the anchor between the anchor sets of the sublocations.
    std::string get_sublocation_uid() const;
    void set_sublocation_uid(const std::string& uid);

    std::string get_location_uid() const;
    void set_location_uid(const std::string& uid);
    std::string get_project_uid() const;
    void set_project_uid(const std::string& uid);
    std::string get_company_uid() const;
    void set_company_uid(const std::string& uid);

    bool get_responsive() const;
    void set_responsive(bool responsive);

    void remove();

private:
    std::string m_uid;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_name;
    redis::string_wrapper m_type;
    redis::string_wrapper m_mac;
    redis::string_wrapper m_sublocation_uid;
    redis::string_wrapper m_location_uid;
    redis::string_wrapper m_project_uid;
    redis::string_wrapper m_company_uid;
    redis::bool_wrapper m_responsive;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
