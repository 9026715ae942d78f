#pragma once

#include "redis/set.h"

#include <string>

namespace orv::redis {

class context_impl;

// Every operation is one Redis command (iteration: a sequence of SSCAN).
class set_impl : public set {
public:
    set_impl(std::string key, context_impl& context);

    bool is_member(const std::string& member) const override;
    int add(const std::string& member) override;
    int rem(const std::string& member) override;
    void clear() override;
    bool for_each_member(members_callback callback) const override;

private:
    std::string m_key;
    context_impl& m_context;
};

} // namespace orv::redis
