#pragma once

#include "redis/hash.h"

#include <string>

namespace orv::redis {

class context_impl;

// Every operation is one Redis command (iteration: a sequence of HSCAN).
class hash_impl : public hash {
public:
    hash_impl(std::string key, context_impl& context);

    bool exists(const std::string& field) const override;
    std::string get(const std::string& field) const override;
    std::pair<bool, std::string> try_get(const std::string& field) const override;
    bool set(const std::string& field, const std::string& value) override;
    void del(const std::string& field) override;
    void clear() override;
    bool for_each_element(elements_callback callback) const override;

private:
    std::string m_key;
    context_impl& m_context;
};

} // namespace orv::redis
