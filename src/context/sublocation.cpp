#include "context/sublocation.h"

#include "context/accessor.h"
#include "context/location.h"
#include "context/objects_repository.h"
#include "utils/exceptions.h"

namespace orv::context {

std::string sublocation::keys::prefix() { return "sublocations"; }
redis::key sublocation::keys::set() { return redis::key(prefix() + ":set"); }
redis::key sublocation::keys::data(const std::string& uid) { return redis::key(prefix() + ":" + uid + ":data"); }
redis::key sublocation::keys::anchors(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":anchors");
}

sublocation::sublocation(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)), m_anchors(redis_context.get_set(keys::anchors(m_uid))),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_location_uid(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("location_uid"))),
      m_redis_context(redis_context), m_context(context) {}

bool sublocation::has_anchor(const std::string& uid) const { return m_anchors->is_member(uid); }
void sublocation::add_anchor(const std::string& uid) { m_anchors->add(uid); }
void sublocation::remove_anchor(const std::string& uid) { m_anchors->rem(uid); }

bool sublocation::for_each_anchor(const uid_callback& callback) const {
    return m_anchors->for_each_member([&callback](const std::string& uid) { return callback(uid); });
}

std::string sublocation::get_location_uid() const { return m_location_uid.get(); }

void sublocation::set_location_uid(const std::string& uid) {
    auto& parents = m_context.get_locations();
    // The new parent is fetched first, so that an unknown one fails before
    // the record leaves its current parent.
    auto new_parent = parents.get(uid);
    const auto old_uid = m_location_uid.get();
    if (!old_uid.empty()) {
        // A parent that is gone has taken its child set with it.
        if (auto old_parent = parents.try_get(old_uid)) {
            old_parent->remove_sublocation(m_uid);
        }
    }
    new_parent.add_sublocation(m_uid);
    m_location_uid.set(uid);
}

void sublocation::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    // A parent that is gone has taken its child set with it; the record's own
    // keys are deleted either way.
    if (auto parent = m_context.get_locations().try_get(m_location_uid.get())) {
        parent->remove_sublocation(m_uid);
    }
    m_data->clear();
    m_anchors->clear();
}

sublocation sublocation::create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                                const std::string& _location_uid) {
    ORV_CHECK(_context.get_locations().is_exists( _location_uid ));
    sublocation result(_uid, _redis_context, _context);
    result.set_location_uid(_location_uid);
    _redis_context.get_set(keys::set())->add(_uid);
    return result;
}

} // namespace orv::context
