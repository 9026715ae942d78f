#pragma once

#include "environment/file.h"

#include <cstdio>
#include <memory>

namespace orv::environment {

// Reads a C stream (a command's output); the deleter (pclose) runs on
// destruction and waits for the command to end.
class cfile_impl : public file {
public:
    using fd = std::unique_ptr<FILE, int (*)(FILE*)>;

    explicit cfile_impl(fd stream);

    // Lines of any length; a last line without a line end is not returned.
    boost::optional<std::string> read_line() override;

private:
    fd m_fd;
};

} // namespace orv::environment
