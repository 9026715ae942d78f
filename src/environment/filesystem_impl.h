#pragma once

#include "environment/filesystem.h"

namespace orv::environment {

class filesystem_impl : public filesystem {
public:
    std::unique_ptr<file> open_file(const std::string& path, open_mode mode) override;
};

} // namespace orv::environment
