#include "core/source_location.h"

#include "core/build_constants.h"

#include <algorithm>
#include <cstring>

namespace orv::libs::core {

std::string_view source_location::remove_directory_prefix(std::string_view path) noexcept {
    const auto prefix = std::min(std::strlen(constants::source_directory), path.size());
    return path.substr(prefix);
}

std::string_view source_location::short_function() const noexcept {
    // "ret ns::cls::name(args) const" -> "ns::cls::name"
    auto text = m_function;
    const auto paren = text.find('(');
    if (paren != std::string_view::npos) {
        text = text.substr(0, paren);
    }
    const auto space = text.rfind(' ');
    if (space != std::string_view::npos) {
        text = text.substr(space + 1);
    }
    return text;
}

} // namespace orv::libs::core
