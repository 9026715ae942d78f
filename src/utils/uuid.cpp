#include "utils/uuid.h"

#include "utils/base64.h"
#include "utils/exceptions.h"

#include <algorithm>
#include <uuid/uuid.h>

namespace orv::utils {

uuid uuid::generate() {
    uuid result;
    ::uuid_generate(result.m_uuid.data());
    return result;
}

uuid uuid::from_string(const std::string& text) {
    uuid result;
    if (::uuid_parse(text.c_str(), result.m_uuid.data()) != 0) {
        ORV_THROW_MSG("Invalid uuid: " + text);
    }
    return result;
}

std::string uuid::to_string() const {
    char text[37];
    ::uuid_unparse_lower(m_uuid.data(), text);
    return text;
}

std::string uuid::to_short_string() const {
    std::string text = base64_encode(std::string(m_uuid.begin(), m_uuid.end())).substr(0, 22);
    std::replace(text.begin(), text.end(), '+', '-');
    std::replace(text.begin(), text.end(), '/', '_');
    return text;
}

} // namespace orv::utils
