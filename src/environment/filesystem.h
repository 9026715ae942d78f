#pragma once

#include "environment/file.h"

#include <memory>
#include <string>

namespace orv::environment {

class filesystem {
public:
    // Any value other than read opens for writing.
    enum open_mode { read = 0 };

    virtual ~filesystem() = default;
    virtual std::unique_ptr<file> open_file(const std::string& path, open_mode mode) = 0;
};

} // namespace orv::environment
