#include "context/location.h"

#include "context/accessor.h"
#include "context/project.h"
#include "context/objects_repository.h"
#include "utils/exceptions.h"

namespace orv::context {

std::string location::keys::prefix() { return "locations"; }
redis::key location::keys::set() { return redis::key(prefix() + ":set"); }
redis::key location::keys::data(const std::string& uid) { return redis::key(prefix() + ":" + uid + ":data"); }
redis::key location::keys::sublocations(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":sublocations");
}

location::location(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)), m_sublocations(redis_context.get_set(keys::sublocations(m_uid))),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_project_uid(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("project_uid"))),
      m_redis_context(redis_context), m_context(context) {}

bool location::has_sublocation(const std::string& uid) const { return m_sublocations->is_member(uid); }
void location::add_sublocation(const std::string& uid) { m_sublocations->add(uid); }
void location::remove_sublocation(const std::string& uid) { m_sublocations->rem(uid); }

bool location::for_each_sublocation(const uid_callback& callback) const {
    return m_sublocations->for_each_member([&callback](const std::string& uid) { return callback(uid); });
}

std::string location::get_project_uid() const { return m_project_uid.get(); }

void location::set_project_uid(const std::string& uid) {
    auto& parents = m_context.get_projects();
    // The new parent is fetched first, so that an unknown one fails before
    // the record leaves its current parent.
    auto new_parent = parents.get(uid);
    const auto old_uid = m_project_uid.get();
    if (!old_uid.empty()) {
        // A parent that is gone has taken its child set with it.
        if (auto old_parent = parents.try_get(old_uid)) {
            old_parent->remove_location(m_uid);
        }
    }
    new_parent.add_location(m_uid);
    m_project_uid.set(uid);
}

void location::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    // A parent that is gone has taken its child set with it; the record's own
    // keys are deleted either way.
    if (auto parent = m_context.get_projects().try_get(m_project_uid.get())) {
        parent->remove_location(m_uid);
    }
    m_data->clear();
    m_sublocations->clear();
}

location location::create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                          const std::string& _project_uid) {
    ORV_CHECK(_context.get_projects().is_exists( _project_uid ));
    location result(_uid, _redis_context, _context);
    result.set_project_uid(_project_uid);
    _redis_context.get_set(keys::set())->add(_uid);
    return result;
}

} // namespace orv::context
