#include "environment/file_impl.h"

#include "utils/exceptions.h"

namespace orv::environment {

file_impl::file_impl(const std::string& path, filesystem::open_mode mode) {
    m_stream.open(path, mode == filesystem::read ? std::ios::in : std::ios::out);
    if (m_stream.fail()) {
        ORV_THROW_MSG("Cannot open file: " + path);
    }
}

boost::optional<std::string> file_impl::read_line() {
    std::string line;
    std::getline(m_stream, line, '\n');
    if (m_stream.fail() || m_stream.bad()) {
        return boost::none;
    }
    return line;
}

} // namespace orv::environment
