#pragma once

#include <functional>
#include <string>

namespace orv::redis {

// A Redis set bound to one key.
class set {
public:
    // member -> true to continue.
    using members_callback = std::function<bool(const std::string&)>;

    virtual ~set() = default;
    virtual bool is_member(const std::string& member) const = 0;
    // 1 when added, 0 when already present.
    virtual int add(const std::string& member) = 0;
    // 1 when removed, 0 when absent.
    virtual int rem(const std::string& member) = 0;
    virtual void clear() = 0;
    // False when a callback stopped the iteration.
    virtual bool for_each_member(members_callback callback) const = 0;
};

} // namespace orv::redis
