#include "redis/cached_hash_impl.h"

#include "utils/exceptions.h"

#include <boost/smart_ptr/make_local_shared.hpp>

namespace orv::redis {

cached_hash_impl::cached_hash_impl(std::string key, context_impl& context, hash_cache_map& cache_map)
    : hash_impl(key, context), m_key(std::move(key)), m_cache_map(cache_map) {
    make_cache();
    if (m_cache->empty()) {
        // Read into a separate map so that a failed scan leaves no partial copy behind.
        hash_contents loaded;
        hash_impl::for_each_element([&](const std::string& field, const std::string& value) {
            loaded[field] = value;
            return true;
        });
        m_cache->swap(loaded);
    }
}

cached_hash_impl::~cached_hash_impl() = default;

void cached_hash_impl::make_cache() {
    if (m_cache) {
        return;
    }
    auto& entry = m_cache_map[m_key];
    if (!entry) {
        entry = boost::make_local_shared<hash_contents>();
    }
    m_cache = entry;
}

void cached_hash_impl::remove_cache() {
    if (!m_cache) {
        return;
    }
    if (m_cache.local_use_count() == 2) {
        m_cache_map.erase(m_key);
    }
    m_cache.reset();
}

bool cached_hash_impl::exists(const std::string& field) const {
    return m_cache && m_cache->count(field) != 0;
}

std::string cached_hash_impl::get(const std::string& field) const {
    if (!m_cache) {
        ORV_THROW_MSG("Hash is empty");
    }
    return m_cache->at(field);
}

std::pair<bool, std::string> cached_hash_impl::try_get(const std::string& field) const {
    if (!m_cache) {
        return {false, ""};
    }
    const auto it = m_cache->find(field);
    if (it == m_cache->end()) {
        return {false, ""};
    }
    return {true, it->second};
}

// Writes reach the copy only after Redis accepted them, so that a failed
// command never leaves the copy holding what Redis does not.
bool cached_hash_impl::set(const std::string& field, const std::string& value) {
    make_cache();
    const bool created = hash_impl::set(field, value);
    (*m_cache)[field] = value;
    return created;
}

void cached_hash_impl::del(const std::string& field) {
    make_cache();
    hash_impl::del(field);
    m_cache->erase(field);
    if (m_cache->empty()) {
        remove_cache();
    }
}

void cached_hash_impl::clear() {
    hash_impl::clear();
    // Empty the shared copy, not just this handle's view of it: every other
    // handle of the key then sees the key cleared, and the next new handle
    // reloads it from Redis.
    const auto it = m_cache_map.find(m_key);
    if (it != m_cache_map.end() && it->second) {
        it->second->clear();
    }
    remove_cache();
}

bool cached_hash_impl::for_each_element(elements_callback callback) const {
    if (!m_cache) {
        return true;
    }
    // The callback may write through this or another handle of the key: keep the
    // contents alive and find the next field afresh after every call.
    const hash_contents_ptr contents = m_cache;
    auto it = contents->begin();
    while (it != contents->end()) {
        const std::string field = it->first;
        const std::string value = it->second;
        if (!callback(field, value)) {
            return false;
        }
        it = contents->upper_bound(field);
    }
    return true;
}

} // namespace orv::redis
