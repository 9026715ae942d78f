#include "core/exceptions.h"

#include <sstream>

namespace orv::libs::core {

const char* located_exception::what() const noexcept {
    try {
        std::ostringstream out;
        describe(out);
        m_what = out.str();
    } catch (...) {
        return "located_exception";
    }
    return m_what.c_str();
}

void located_exception::describe(std::ostream& out) const {
    out << source_location::remove_directory_prefix(m_source_location.file()) << ":"
        << m_source_location.line();
}

void exception::describe(std::ostream& out) const {
    located_exception::describe(out);
    out << " " << m_str_error;
}

} // namespace orv::libs::core
