#pragma once

#include "redis/list.h"

#include <string>

namespace orv::redis {

class context_impl;

// Every operation is one Redis command; lists are never cached.
class list_impl : public list {
public:
    list_impl(std::string key, context_impl& context);

    void lpush(const std::string& value) override;
    void rpush(const std::string& value) override;
    std::string lpop() override;
    std::string rpop() override;
    int len() override;
    std::string lindex(int index) override;
    std::vector<std::string> lrange(int start, int stop) override;
    void ltrim(int start, int stop) override;
    void clear() override;

private:
    std::string m_key;
    context_impl& m_context;
};

} // namespace orv::redis
