#pragma once

#include <boost/optional.hpp>

#include <string>

namespace orv::environment {

// A readable text source: a file or a command's standard output.
class file {
public:
    virtual ~file() = default;
    // The next line without its line end; empty when no further line can be read.
    virtual boost::optional<std::string> read_line() = 0;
};

} // namespace orv::environment
