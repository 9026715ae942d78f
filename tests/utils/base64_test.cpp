#include "utils/base64.h"

#include <gtest/gtest.h>

using orv::utils::base64_decode;
using orv::utils::base64_encode;

namespace {

TEST(base64, encodes_with_standard_alphabet_and_padding) {
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"abc", "YWJj"},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
        {std::string("\xfb\xef\xbe", 3), "++++"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base64_encode(c.bytes), c.text) << c.text;
        EXPECT_EQ(base64_decode(c.text), c.bytes) << c.text;
    }
}

TEST(base64, decoding_stops_at_padding_or_a_foreign_character) {
    const struct {
        const char* text;
        const char* bytes;
    } cases[] = {
        {"Zm9v=YWJj", "foo"},
        {"Zm9v YWJj", "foo"},
        {"Zm9v\nYWJj", "foo"},
        {"Zm9v.YWJj", "foo"},
        {"Zm9v-_", "foo"},
        {"=YWJj", ""},
        {"Zm8", "fo"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base64_decode(c.text), c.bytes) << c.text;
    }
}

TEST(base64, every_byte_value_round_trips) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    for (std::size_t length : {bytes.size(), bytes.size() - 1, bytes.size() - 2}) {
        const auto part = bytes.substr(0, length);
        EXPECT_EQ(base64_decode(base64_encode(part)), part) << length;
    }
}

} // namespace
