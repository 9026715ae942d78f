#pragma once

#include <string>
#include <vector>

namespace orv::redis {

// A Redis list bound to one key. Negative indexes count from the end.
class list {
public:
    virtual ~list() = default;
    virtual void lpush(const std::string& value) = 0;
    virtual void rpush(const std::string& value) = 0;
    virtual std::string lpop() = 0;
    virtual std::string rpop() = 0;
    virtual int len() = 0;
    virtual std::string lindex(int index) = 0;
    virtual std::vector<std::string> lrange(int start, int stop) = 0;
    virtual void ltrim(int start, int stop) = 0;
    virtual void clear() = 0;
};

} // namespace orv::redis
