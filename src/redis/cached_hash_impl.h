#pragma once

#include "redis/context_impl.h"
#include "redis/hash_impl.h"

#include <string>

namespace orv::redis {

// Reads are answered from a copy of the whole hash shared by every handle of
// the key on one connection; writes go to the copy and to Redis.
class cached_hash_impl : public hash_impl {
public:
    // Loads the key from Redis unless the registry already holds its entries.
    cached_hash_impl(std::string key, context_impl& context, hash_cache_map& cache_map);
    ~cached_hash_impl() override;
    cached_hash_impl(const cached_hash_impl&) = delete;
    cached_hash_impl& operator=(const cached_hash_impl&) = delete;

    bool exists(const std::string& field) const override;
    // Throws "Hash is empty" when detached, std::out_of_range for an absent field.
    std::string get(const std::string& field) const override;
    std::pair<bool, std::string> try_get(const std::string& field) const override;
    bool set(const std::string& field, const std::string& value) override;
    void del(const std::string& field) override;
    // Deletes the key and empties the shared copy, so that no handle of the
    // key goes on reading entries that Redis no longer holds.
    void clear() override;
    // Ascending order of the field names.
    bool for_each_element(elements_callback callback) const override;

    bool attached() const { return static_cast<bool>(m_cache); }

private:
    void make_cache();
    void remove_cache();

    std::string m_key;
    hash_contents_ptr m_cache;
    hash_cache_map& m_cache_map;
};

} // namespace orv::redis
