#pragma once

#include "context/accessor.h"
#include "redis/context.h"
#include "redis/set.h"
#include "utils/exceptions.h"
#include "utils/noncopyable.h"

#include <boost/optional.hpp>
#include <boost/type_index.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orv::context {

// Typed access to the registered records of one kind. A record is registered
// when its id is a member of the kind's id set (T::keys::set()); record objects
// are built on demand and bound to their Redis keys by their constructor
// T(id, redis::context&, accessor&).
template <typename T>
class objects_repository : utils::noncopyable {
public:
    using object_callback = std::function<bool(T&)>;

    objects_repository(redis::context& redis_context, accessor& context)
        : m_redis_context(redis_context), m_context(context),
          m_set(redis_context.get_set(T::keys::set())) {}

    bool is_exists(const std::string& id) const { return m_set->is_member(id); }

    T get(const std::string& id) const {
        if (!is_exists(id)) {
            ORV_THROW_MSG("The " + type_name() + " with id '" + id + "' does not exist");
        }
        return T(id, m_redis_context, m_context);
    }

    boost::optional<T> try_get(const std::string& id) const {
        if (!is_exists(id)) {
            return boost::none;
        }
        return boost::optional<T>(boost::in_place_init, id, m_redis_context, m_context);
    }

    // Visits every registered record in ascending id order. The callback's
    // result does not end the walk.
    bool for_each(const object_callback& callback) const {
        // Ids are collected first: the callback may create or remove records of
        // this kind, which changes the id set under iteration.
        std::vector<std::string> ids;
        m_set->for_each_member([&ids](const std::string& id) {
            ids.push_back(id);
            return true;
        });
        for (const auto& id : ids) {
            if (!is_exists(id)) {
                continue; // removed by an earlier callback
            }
            T object(id, m_redis_context, m_context);
            callback(object);
        }
        return true;
    }

    void remove(const std::string& _id) {
        ORV_CHECK(is_exists( _id ));
        get(_id).remove();
    }

    // Full name of the record type, as used in error messages.
    static std::string type_name() { return boost::typeindex::type_id<T>().pretty_name(); }

private:
    redis::context& m_redis_context;
    accessor& m_context;
    std::unique_ptr<redis::set> m_set;
};

} // namespace orv::context
