#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/list.h"
#include "redis/reply.h"
#include "redis/set.h"
#include "utils/noncopyable.h"

#include <memory>
#include <string>

namespace orv::redis {

// A connection to one Redis database, and the factory of its container handles.
// Used by one thread only.
class context : private utils::noncopyable {
public:
    virtual ~context() = default;
    virtual reply flush_db() = 0;
    // Handles of a key that holds no value or a value of the handle's type;
    // any other type throws "Invalid type, actual type is: <type>".
    virtual std::unique_ptr<hash> get_hash(const key& key) = 0;
    virtual std::unique_ptr<set> get_set(const key& key) = 0;
    virtual std::unique_ptr<list> get_list(const key& key) = 0;
    // True only when the key holds a string.
    virtual bool has_value(const key& key) const = 0;
    virtual std::string get_value(const key& key) const = 0;
    virtual void set_value(const key& key, const std::string& value) = 0;
};

} // namespace orv::redis
