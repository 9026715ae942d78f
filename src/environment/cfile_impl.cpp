#include "environment/cfile_impl.h"

#include <cstring>
#include <string>

namespace orv::environment {

cfile_impl::cfile_impl(fd stream) : m_fd(std::move(stream)) {}

boost::optional<std::string> cfile_impl::read_line() {
    char buffer[1000];
    std::string line;
    for (;;) {
        if (std::fgets(buffer, sizeof(buffer), m_fd.get()) == nullptr) {
            // End of data or an error before the line end: the partial text is dropped.
            return boost::none;
        }
        line += buffer;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return line;
        }
    }
}

} // namespace orv::environment
