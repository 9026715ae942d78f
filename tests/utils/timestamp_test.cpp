#include "utils/timestamp.h"

#include <gtest/gtest.h>

#include <chrono>

using orv::utils::timestamp;

namespace {

struct json_case {
    std::int64_t ms;
    const char* text;
};

TEST(timestamp, json_text_is_iso8601_utc_with_padded_milliseconds) {
    const json_case cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1704164645006, "2024-01-02T03:04:05.006Z"},
        {1614834367891, "2021-03-04T05:06:07.891Z"},
        {1704067199999, "2023-12-31T23:59:59.999Z"},
        {1709164800050, "2024-02-29T00:00:00.050Z"},
        // Before the epoch the milliseconds still count forward from the whole second.
        {-1, "1969-12-31T23:59:59.999Z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timestamp::from_milliseconds(c.ms).to_json_string(), c.text) << c.ms;
    }
}

TEST(timestamp, seconds_and_milliseconds_build_the_value) {
    const timestamp t(1704164645, 6);
    EXPECT_EQ(t.milliseconds_since_epoch(), 1704164645006);
    EXPECT_EQ(t.get_ts(), 1704164645);
    EXPECT_EQ(t.get_ms(), 6u);
}

TEST(timestamp, readable_and_serialized_forms_are_unpadded) {
    const timestamp t(1704164645, 6);
    EXPECT_EQ(t.to_string(), "UTC: 2024-1-2T3:4:5.6Z GMT offset: 0 DST: 0");
    EXPECT_EQ(t.serialize(), "1704164645 6 (UTC: 2024-1-2T3:4:5.6Z GMT offset: 0 DST: 0)");
    EXPECT_EQ(timestamp(1700000000, 120).serialize(),
              "1700000000 120 (UTC: 2023-11-14T22:13:20.120Z GMT offset: 0 DST: 0)");
}

TEST(timestamp, deserialize_reads_two_leading_numbers_and_defaults_to_zero) {
    const timestamp t(1704164645, 6);
    EXPECT_EQ(timestamp::deserialize(t.serialize()), t);

    const struct {
        const char* text;
        std::int64_t ms;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12", 12000},
        {"12 x", 12000},
        {"5 7 anything after", 5007},
        {"  5\t7", 5007},
        {"1614834367 891 (ignored)", 1614834367891},
        // Seconds that overflow in milliseconds count as unreadable.
        {"9999999999999999 0", 0},
        {"-9999999999999999 5", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timestamp::deserialize(c.text).milliseconds_since_epoch(), c.ms) << c.text;
    }
}

TEST(timestamp, try_parse_reads_date_and_time_as_utc) {
    const struct {
        const char* text;
        std::int64_t ms;
    } cases[] = {
        {"2021-03-04T05:06:07.891Z", 1614834367891},
        {"2021-03-04 05:06:07.891", 1614834367891},
        {"2021-03-04T05:06:07Z", 1614834367000},
        {"2021-03-04T05:06:07.5", 1614834367500},
        {"2024-01-02T03:04:05.006+02:00", 1704164645006},
        {"1970-01-01T00:00:00.000Z", 0},
    };
    for (const auto& c : cases) {
        const auto parsed = timestamp::try_parse(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->milliseconds_since_epoch(), c.ms) << c.text;
    }
}

TEST(timestamp, try_parse_without_all_seven_fields_has_no_value) {
    for (const char* text : {"", "garbage", "2021-03-04", "2021-03-04T05:06", "2021-03-04T05:06:xx",
                             "T05:06:07.891Z"}) {
        EXPECT_FALSE(timestamp::try_parse(text)) << text;
    }
}

TEST(timestamp, arithmetic_and_ordering_in_milliseconds) {
    const timestamp a = timestamp::from_milliseconds(10'000);
    const timestamp b = a + std::chrono::seconds(2);
    EXPECT_EQ(b.milliseconds_since_epoch(), 12'000);
    EXPECT_EQ(b - a, std::chrono::milliseconds(2'000));
    EXPECT_EQ((b - std::chrono::milliseconds(1)).milliseconds_since_epoch(), 11'999);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(b >= b);
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a == b);
}

} // namespace
