#pragma once

#include <functional>
#include <string>
#include <utility>

namespace orv::redis {

// A Redis hash bound to one key.
class hash {
public:
    // (field, value) -> true to continue.
    using elements_callback = std::function<bool(const std::string&, const std::string&)>;

    virtual ~hash() = default;
    virtual bool exists(const std::string& field) const = 0;
    virtual std::string get(const std::string& field) const = 0;
    // (false, "") when the field is absent.
    virtual std::pair<bool, std::string> try_get(const std::string& field) const = 0;
    // True when the field is new.
    virtual bool set(const std::string& field, const std::string& value) = 0;
    virtual void del(const std::string& field) = 0;
    virtual void clear() = 0;
    // False when a callback stopped the iteration.
    virtual bool for_each_element(elements_callback callback) const = 0;
};

} // namespace orv::redis
