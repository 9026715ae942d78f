#include "utils/uuid.h"

#include "utils/exceptions.h"

#include <gtest/gtest.h>

using orv::utils::uuid;

namespace {

uuid filled(std::initializer_list<unsigned char> pattern) {
    uuid::bytes raw{};
    std::size_t i = 0;
    for (auto& b : raw) {
        b = *(pattern.begin() + (i++ % pattern.size()));
    }
    return uuid(raw);
}

TEST(uuid, short_form_is_22_url_safe_base64_characters) {
    EXPECT_EQ(filled({0x00}).to_short_string(), std::string(22, 'A'));
    // 0xff... encodes to "/" and 0xfb 0xef 0xbe to "++++": both are made URL-safe.
    EXPECT_EQ(filled({0xff}).to_short_string(), "_____________________w");
    EXPECT_EQ(filled({0xfb, 0xef, 0xbe}).to_short_string(), "---------------------w");
    EXPECT_EQ(uuid::from_string("00112233-4455-6677-8899-aabbccddeeff").to_short_string(),
              "ABEiM0RVZneImaq7zN3u_w");
}

TEST(uuid, canonical_text_round_trips_and_bad_text_throws) {
    const char* text = "00112233-4455-6677-8899-aabbccddeeff";
    EXPECT_EQ(uuid::from_string(text).to_string(), text);
    EXPECT_THROW(uuid::from_string("not-a-uuid"), orv::exception);
}

TEST(uuid, generated_identifiers_differ) {
    const auto a = uuid::generate();
    const auto b = uuid::generate();
    EXPECT_NE(a.raw(), b.raw());
    EXPECT_NE(a.raw(), uuid().raw());
    EXPECT_EQ(a.to_short_string().find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
              std::string::npos);
}

} // namespace
