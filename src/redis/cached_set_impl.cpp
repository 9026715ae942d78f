#include "redis/cached_set_impl.h"

#include <boost/smart_ptr/make_local_shared.hpp>

namespace orv::redis {

cached_set_impl::cached_set_impl(std::string key, context_impl& context, set_cache_map& cache_map)
    : set_impl(key, context), m_key(std::move(key)), m_cache_map(cache_map) {
    make_cache();
    if (m_cache->empty()) {
        // Read into a separate set so that a failed scan leaves no partial copy behind.
        set_contents loaded;
        set_impl::for_each_member([&](const std::string& member) {
            loaded.insert(member);
            return true;
        });
        m_cache->swap(loaded);
    }
}

cached_set_impl::~cached_set_impl() = default;

void cached_set_impl::make_cache() {
    if (m_cache) {
        return;
    }
    auto& entry = m_cache_map[m_key];
    if (!entry) {
        entry = boost::make_local_shared<set_contents>();
    }
    m_cache = entry;
}

void cached_set_impl::remove_cache() {
    if (!m_cache) {
        return;
    }
    if (m_cache.local_use_count() == 2) {
        m_cache_map.erase(m_key);
    }
    m_cache.reset();
}

bool cached_set_impl::is_member(const std::string& member) const {
    return m_cache && m_cache->count(member) != 0;
}

// Writes reach the copy only after Redis accepted them, so that a failed
// command never leaves the copy holding what Redis does not.
int cached_set_impl::add(const std::string& member) {
    make_cache();
    const int added = set_impl::add(member);
    m_cache->insert(member);
    return added;
}

int cached_set_impl::rem(const std::string& member) {
    make_cache();
    const int removed = set_impl::rem(member);
    m_cache->erase(member);
    if (m_cache->empty()) {
        remove_cache();
    }
    return removed;
}

void cached_set_impl::clear() {
    set_impl::clear();
    // Empty the shared copy, not just this handle's view of it: every other
    // handle of the key then sees the key cleared, and the next new handle
    // reloads it from Redis.
    const auto it = m_cache_map.find(m_key);
    if (it != m_cache_map.end() && it->second) {
        it->second->clear();
    }
    remove_cache();
}

bool cached_set_impl::for_each_member(members_callback callback) const {
    if (!m_cache) {
        return true;
    }
    // The callback may write through this or another handle of the key: keep the
    // contents alive and find the next member afresh after every call.
    const set_contents_ptr contents = m_cache;
    auto it = contents->begin();
    while (it != contents->end()) {
        const std::string member = *it;
        if (!callback(member)) {
            return false;
        }
        it = contents->upper_bound(member);
    }
    return true;
}

} // namespace orv::redis
