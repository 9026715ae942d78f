#pragma once

#include <array>
#include <string>

namespace orv::utils {

class uuid {
public:
    using bytes = std::array<unsigned char, 16>;

    uuid() = default;
    explicit uuid(const bytes& raw) : m_uuid(raw) {}

    static uuid generate();
    // Canonical text form; throws orv::exception when the text is not a uuid.
    static uuid from_string(const std::string& text);

    std::string to_string() const;
    // 22-character URL-safe Base64 of the 16 bytes.
    std::string to_short_string() const;
    const bytes& raw() const { return m_uuid; }

private:
    bytes m_uuid{};
};

} // namespace orv::utils
