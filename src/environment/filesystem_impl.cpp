#include "environment/filesystem_impl.h"

#include "environment/file_impl.h"

namespace orv::environment {

std::unique_ptr<file> filesystem_impl::open_file(const std::string& path, open_mode mode) {
    return std::make_unique<file_impl>(path, mode);
}

} // namespace orv::environment
