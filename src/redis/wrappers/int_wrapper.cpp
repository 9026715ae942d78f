#include "redis/wrappers/int_wrapper.h"

#include <cctype>
#include <charconv>

namespace orv::redis {

int_wrapper::int_wrapper(string_wrapper wrapper) : m_string_wrapper(std::move(wrapper)) {}

boost::optional<int> int_wrapper::parse(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    // Exactly one optional sign, then digits only.
    const char* digits = (first != last && *first == '-' && first == text.data()) ? first + 1 : first;
    if (digits == last || std::isdigit(static_cast<unsigned char>(*digits)) == 0) {
        return boost::none;
    }
    int value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last) {
        return boost::none;
    }
    return value;
}

int int_wrapper::get() const { return parse(m_string_wrapper.get()).value_or(0); }

void int_wrapper::set(int value) { m_string_wrapper.set(std::to_string(value)); }

} // namespace orv::redis
