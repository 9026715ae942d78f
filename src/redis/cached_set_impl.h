#pragma once

#include "redis/context_impl.h"
#include "redis/set_impl.h"

#include <string>

namespace orv::redis {

// Reads are answered from a copy of the whole set shared by every handle of
// the key on one connection; writes go to the copy and to Redis.
class cached_set_impl : public set_impl {
public:
    // Loads the key from Redis unless the registry already holds its members.
    cached_set_impl(std::string key, context_impl& context, set_cache_map& cache_map);
    ~cached_set_impl() override;
    cached_set_impl(const cached_set_impl&) = delete;
    cached_set_impl& operator=(const cached_set_impl&) = delete;

    bool is_member(const std::string& member) const override;
    int add(const std::string& member) override;
    int rem(const std::string& member) override;
    // Deletes the key and empties the shared copy, so that no handle of the
    // key goes on reading members that Redis no longer holds.
    void clear() override;
    // Ascending order of the members.
    bool for_each_member(members_callback callback) const override;

    bool attached() const { return static_cast<bool>(m_cache); }

private:
    void make_cache();
    void remove_cache();

    std::string m_key;
    set_contents_ptr m_cache;
    set_cache_map& m_cache_map;
};

} // namespace orv::redis
