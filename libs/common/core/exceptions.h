#pragma once

#include "core/source_location.h"

#include <exception>
#include <ostream>
#include <string>

namespace orv::libs::core {

class located_exception : public std::exception {
public:
    explicit located_exception(source_location location) : m_source_location(location) {}
    ~located_exception() override = default;

    const char* what() const noexcept override;
    // Writes the shortened file name, ":" and the line.
    virtual void describe(std::ostream& out) const;

    const source_location& location() const noexcept { return m_source_location; }

private:
    source_location m_source_location;
    mutable std::string m_what;
};

class exception : public located_exception {
public:
    exception(std::string message, source_location location)
        : located_exception(location), m_str_error(std::move(message)) {}

    const std::string& get_string_error() const noexcept { return m_str_error; }
    void describe(std::ostream& out) const override;

private:
    std::string m_str_error;
};

class check_failed_exception : public exception {
public:
    check_failed_exception(const std::string& condition, source_location location)
        : exception("check failed: " + condition, location) {}
};

} // namespace orv::libs::core

#define ORV_LIBS_CORE_THROW(message) \
    throw ::orv::libs::core::exception((message), ORV_LIBS_CORE_SOURCE_LOCATION)

#define ORV_LIBS_CORE_CHECK(condition)                                                    \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            throw ::orv::libs::core::check_failed_exception(#condition,                   \
                                                            ORV_LIBS_CORE_SOURCE_LOCATION); \
        }                                                                                 \
    } while (false)
