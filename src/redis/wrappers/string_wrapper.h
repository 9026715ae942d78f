#pragma once

#include "redis/context.h"

#include <functional>
#include <string>

namespace orv::redis {

// One stored text, read and written through a getter and a setter.
class string_wrapper {
public:
    using value_getter = std::function<std::string(context&)>;
    using value_setter = std::function<void(context&, const std::string&)>;

    string_wrapper(context& context, value_getter getter, value_setter setter);

    // Binds to one field of a hash handle, which must outlive the wrapper.
    // Reading a field that does not exist creates it with the empty text.
    static string_wrapper from_hash(context& context, hash& hash, const key& field);

    std::string get() const;
    void set(const std::string& value);

private:
    context& m_context;
    value_getter m_getter;
    value_setter m_setter;
};

} // namespace orv::redis
