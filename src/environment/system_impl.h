#pragma once

#include "environment/system.h"

namespace orv::environment {

class system_impl : public system {
public:
    // Throws orv::check_failed_exception ("! return_code") when statfs fails.
    statfs_s statfs(const std::string& path) override;
    // Runs the command through the shell; its exit status is not examined.
    boost::optional<std::unique_ptr<file>> popen(const std::string& command) override;
};

} // namespace orv::environment
