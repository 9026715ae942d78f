#pragma once

#include <string>

namespace orv::utils {

// Standard alphabet with "=" padding.
std::string base64_encode(const std::string& bytes);
// Stops at the first "=" or at the first character outside the alphabet.
std::string base64_decode(const std::string& text);

} // namespace orv::utils
