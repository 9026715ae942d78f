#pragma once

#include <cstdint>
#include <string_view>

namespace orv::libs::core {

class source_location {
public:
    source_location(std::int64_t line, std::string_view file, std::string_view function) noexcept
        : m_line(line), m_file(file), m_function(function) {}

    std::int64_t line() const noexcept { return m_line; }
    std::string_view file() const noexcept { return m_file; }
    std::string_view function() const noexcept { return m_function; }
    std::string_view short_file() const noexcept { return remove_directory_prefix(m_file); }
    std::string_view short_function() const noexcept;

    // Drops as many leading characters as the build's source directory has,
    // without checking that they match.
    static std::string_view remove_directory_prefix(std::string_view path) noexcept;

private:
    std::int64_t m_line;
    std::string_view m_file;
    std::string_view m_function;
};

} // namespace orv::libs::core

#define ORV_LIBS_CORE_SOURCE_LOCATION \
    ::orv::libs::core::source_location(__LINE__, __FILE__, __PRETTY_FUNCTION__)
