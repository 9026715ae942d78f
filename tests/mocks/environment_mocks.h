#pragma once

#include "environment/file.h"
#include "environment/filesystem.h"
#include "environment/system.h"

#include <gmock/gmock.h>

#include <ostream>

// boost::optional refuses to be streamed without optional_io.hpp, and that
// header cannot print an owning pointer: give GoogleTest its own printers.
namespace boost {

inline void PrintTo(const optional<std::string>& value, std::ostream* out) {
    if (value) {
        *out << '"' << *value << '"';
    } else {
        *out << "(none)";
    }
}

inline void PrintTo(const optional<std::unique_ptr<orv::environment::file>>& value,
                    std::ostream* out) {
    *out << (value ? "(file)" : "(none)");
}

} // namespace boost

namespace orv::test {

class file_mock : public orv::environment::file {
public:
    MOCK_METHOD(boost::optional<std::string>, read_line, (), (override));
};

class filesystem_mock : public orv::environment::filesystem {
public:
    MOCK_METHOD(std::unique_ptr<orv::environment::file>, open_file,
                (const std::string& path, open_mode mode), (override));
};

class system_mock : public orv::environment::system {
public:
    MOCK_METHOD(statfs_s, statfs, (const std::string& path), (override));
    MOCK_METHOD(boost::optional<std::unique_ptr<orv::environment::file>>, popen,
                (const std::string& command), (override));
};

} // namespace orv::test
