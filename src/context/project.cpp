#include "context/project.h"

#include "context/accessor.h"
#include "context/company.h"
#include "context/objects_repository.h"
#include "utils/exceptions.h"

namespace orv::context {

std::string project::keys::prefix() { return "projects"; }
redis::key project::keys::set() { return redis::key(prefix() + ":set"); }
redis::key project::keys::data(const std::string& uid) { return redis::key(prefix() + ":" + uid + ":data"); }
redis::key project::keys::locations(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":locations");
}

project::project(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)), m_locations(redis_context.get_set(keys::locations(m_uid))),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_company_uid(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("company_uid"))),
      m_redis_context(redis_context), m_context(context) {}

bool project::has_location(const std::string& uid) const { return m_locations->is_member(uid); }
void project::add_location(const std::string& uid) { m_locations->add(uid); }
void project::remove_location(const std::string& uid) { m_locations->rem(uid); }

bool project::for_each_location(const uid_callback& callback) const {
    return m_locations->for_each_member([&callback](const std::string& uid) { return callback(uid); });
}

std::string project::get_company_uid() const { return m_company_uid.get(); }

void project::set_company_uid(const std::string& uid) {
    auto& parents = m_context.get_companies();
    // The new parent is fetched first, so that an unknown one fails before
    // the record leaves its current parent.
    auto new_parent = parents.get(uid);
    const auto old_uid = m_company_uid.get();
    if (!old_uid.empty()) {
        // A parent that is gone has taken its child set with it.
        if (auto old_parent = parents.try_get(old_uid)) {
            old_parent->remove_project(m_uid);
        }
    }
    new_parent.add_project(m_uid);
    m_company_uid.set(uid);
}

void project::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    // A parent that is gone has taken its child set with it; the record's own
    // keys are deleted either way.
    if (auto parent = m_context.get_companies().try_get(m_company_uid.get())) {
        parent->remove_project(m_uid);
    }
    m_data->clear();
    m_locations->clear();
}

project project::create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                        const std::string& _company_uid) {
    ORV_CHECK(_context.get_companies().is_exists( _company_uid ));
    project result(_uid, _redis_context, _context);
    result.set_company_uid(_company_uid);
    _redis_context.get_set(keys::set())->add(_uid);
    return result;
}

} // namespace orv::context
