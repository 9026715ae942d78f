#pragma once

#include "environment/file.h"

#include <boost/optional.hpp>

#include <memory>
#include <string>
#include <sys/vfs.h>

namespace orv::environment {

class system {
public:
    using statfs_s = struct ::statfs;

    virtual ~system() = default;
    // File-system usage of the file system holding `path`.
    virtual statfs_s statfs(const std::string& path) = 0;
    // The standard output of a shell command; empty when it cannot be started.
    virtual boost::optional<std::unique_ptr<file>> popen(const std::string& command) = 0;
};

} // namespace orv::environment
