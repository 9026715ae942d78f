#pragma once

#include "environment/file.h"
#include "environment/filesystem.h"

#include <fstream>
#include <string>

namespace orv::environment {

class file_impl : public file {
public:
    // Throws orv::exception "Cannot open file: <path>".
    file_impl(const std::string& path, filesystem::open_mode mode);

    // A last line without a line end is returned.
    boost::optional<std::string> read_line() override;

private:
    std::fstream m_stream;
};

} // namespace orv::environment
