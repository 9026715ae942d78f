#include "utils/base64.h"

#include <cctype>
#include <cstdint>

namespace orv::utils {
namespace {

constexpr char s_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int decode_char(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

} // namespace

std::string base64_encode(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t n = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8) |
                                static_cast<std::uint8_t>(bytes[i + 2]);
        out += s_alphabet[(n >> 18) & 63];
        out += s_alphabet[(n >> 12) & 63];
        out += s_alphabet[(n >> 6) & 63];
        out += s_alphabet[n & 63];
    }
    const auto rest = bytes.size() - i;
    if (rest == 1) {
        const std::uint32_t n = static_cast<std::uint8_t>(bytes[i]) << 16;
        out += s_alphabet[(n >> 18) & 63];
        out += s_alphabet[(n >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        const std::uint32_t n = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8);
        out += s_alphabet[(n >> 18) & 63];
        out += s_alphabet[(n >> 12) & 63];
        out += s_alphabet[(n >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string base64_decode(const std::string& text) {
    std::string out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (const char c : text) {
        const int value = decode_char(c);
        if (value < 0) {
            break;
        }
        buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xff);
        }
    }
    return out;
}

} // namespace orv::utils
