#include "environment/system_impl.h"

#include "environment/cfile_impl.h"
#include "utils/exceptions.h"

#include <cstdio>
#include <cstring>

namespace orv::environment {

system_impl::statfs_s system_impl::statfs(const std::string& path) {
    statfs_s result;
    std::memset(&result, 0, sizeof(result));
    const int return_code = ::statfs(path.c_str(), &result);
    ORV_CHECK(! return_code);
    return result;
}

boost::optional<std::unique_ptr<file>> system_impl::popen(const std::string& command) {
    FILE* stream = ::popen(command.c_str(), "r");
    if (stream == nullptr) {
        return boost::none;
    }
    return std::unique_ptr<file>(std::make_unique<cfile_impl>(cfile_impl::fd(stream, &::pclose)));
}

} // namespace orv::environment
