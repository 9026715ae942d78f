#include "utils/stacktrace.h"

#include <boost/stacktrace.hpp>

namespace orv::utils {

std::string stacktrace() {
    return boost::stacktrace::to_string(boost::stacktrace::stacktrace());
}

} // namespace orv::utils
