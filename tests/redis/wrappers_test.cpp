#include "redis/wrappers/wrappers.h"

#include "redis_test_fixture.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <climits>
#include <memory>
#include <vector>

namespace orv::redis::test {
namespace {

using utils::timestamp;

// A record hash "rec" and wrappers bound to its field "f".
class wrappers_test : public redis_test {
protected:
    void SetUp() override {
        redis_test::SetUp();
        m_hash = ctx().get_hash(key("rec"));
    }

    string_wrapper field() { return string_wrapper::from_hash(ctx(), *m_hash, key("f")); }
    // The text in Redis, "(nil)" when the field does not exist.
    std::string stored() { return server().command("HGET rec f"); }
    void store(const std::string& text) { m_hash->set("f", text); }

    std::unique_ptr<hash> m_hash;
};

TEST_F(wrappers_test, string_wrapper_reads_and_writes_its_field) {
    auto w = field();
    w.set("some text");
    EXPECT_EQ(stored(), "some text");
    EXPECT_EQ(w.get(), "some text");
    EXPECT_EQ(m_hash->get("f"), "some text");
}

TEST_F(wrappers_test, reading_a_field_never_written_creates_it_empty) {
    EXPECT_EQ(stored(), "(nil)");
    EXPECT_EQ(field().get(), "");
    EXPECT_EQ(server().command("HEXISTS rec f"), "1");
    EXPECT_EQ(stored(), "");
}

TEST_F(wrappers_test, string_wrapper_with_own_getter_and_setter) {
    std::string value = "initial";
    context* seen = nullptr;
    string_wrapper w(
        ctx(),
        [&](context& c) {
            seen = &c;
            return value;
        },
        [&](context& c, const std::string& text) {
            seen = &c;
            value = text;
        });
    EXPECT_EQ(w.get(), "initial");
    EXPECT_EQ(seen, &ctx());
    w.set("changed");
    EXPECT_EQ(value, "changed");
}

TEST_F(wrappers_test, bool_wrapper) {
    bool_wrapper w(field());
    EXPECT_FALSE(w.get());
    EXPECT_EQ(stored(), "");  // the read created the field

    w.set(true);
    EXPECT_EQ(stored(), "true");
    EXPECT_TRUE(w.get());
    w.set(false);
    EXPECT_EQ(stored(), "false");
    EXPECT_FALSE(w.get());

    for (const char* text : {"True", "TRUE", "1", "true ", " true", "yes"}) {
        store(text);
        EXPECT_FALSE(w.get()) << '"' << text << '"';
    }
}

TEST_F(wrappers_test, int_wrapper_stores_decimal_text) {
    int_wrapper w(field());
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "0"}, {7, "7"}, {-42, "-42"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& [value, text] : cases) {
        w.set(value);
        EXPECT_EQ(stored(), text);
        EXPECT_EQ(w.get(), value);
    }
}

TEST_F(wrappers_test, int_wrapper_reads_malformed_text_as_zero) {
    int_wrapper w(field());
    const std::vector<std::pair<std::string, int>> cases = {
        {"12", 12},   {"+7", 7},     {"-7", -7},          {"007", 7},          {"", 0},
        {"x", 0},     {" 1", 0},     {"1 ", 0},           {"1x", 0},           {"1.5", 0},
        {"+", 0},     {"-", 0},      {"+-1", 0},          {"-+1", 0},          {"--1", 0},
        {"2147483648", 0}, {"-2147483649", 0}, {"99999999999999999999", 0}};
    for (const auto& [text, value] : cases) {
        store(text);
        EXPECT_EQ(w.get(), value) << '"' << text << '"';
    }
}

TEST_F(wrappers_test, optional_string_wrapper_marks_a_value_with_a_trailing_blank) {
    optional_string_wrapper w(field());
    EXPECT_EQ(w.get(), boost::none);

    const std::vector<std::pair<boost::optional<std::string>, std::string>> cases = {
        {boost::none, ""}, {std::string(), " "}, {std::string("abc"), "abc "}, {std::string(" x "), " x  "}};
    for (const auto& [value, text] : cases) {
        w.set(value);
        EXPECT_EQ(stored(), text);
        EXPECT_EQ(w.get(), value);
    }

    // Whatever the last character is, it is dropped.
    store("abc");
    EXPECT_EQ(w.get(), std::string("ab"));
}

TEST_F(wrappers_test, optional_int_wrapper) {
    optional_int_wrapper w(field());
    EXPECT_EQ(w.get(), boost::none);
    EXPECT_EQ(stored(), "");

    const std::vector<std::pair<boost::optional<int>, std::string>> cases = {
        {boost::none, ""}, {0, "0 "}, {12, "12 "}, {-3, "-3 "}, {INT_MIN, "-2147483648 "}};
    for (const auto& [value, text] : cases) {
        w.set(value);
        EXPECT_EQ(stored(), text);
        EXPECT_EQ(w.get(), value);
    }

    const std::vector<std::pair<std::string, boost::optional<int>>> reads = {
        {"12 ", 12}, {"12", 1}, {"x ", boost::none}, {" ", boost::none}, {"1 2 ", boost::none},
        {"2147483648 ", boost::none}};
    for (const auto& [text, value] : reads) {
        store(text);
        EXPECT_EQ(w.get(), value) << '"' << text << '"';
    }
}

TEST_F(wrappers_test, timestamp_wrapper_stores_the_serialized_form) {
    timestamp_wrapper w(field());
    w.set(timestamp::from_milliseconds(1700000000123));
    EXPECT_EQ(stored(), "1700000000 123 (UTC: 2023-11-14T22:13:20.123Z GMT offset: 0 DST: 0)");

    for (const std::int64_t ms : {0LL, 1LL, 999LL, 1000LL, 1001LL, 1700000000000LL, 1700000000999LL, 4102444800007LL}) {
        w.set(timestamp::from_milliseconds(ms));
        EXPECT_EQ(w.get().milliseconds_since_epoch(), ms);
    }
}

TEST_F(wrappers_test, timestamp_wrapper_reads_what_it_can) {
    timestamp_wrapper w(field());
    EXPECT_EQ(w.get().milliseconds_since_epoch(), 0);  // never written: the epoch
    const std::vector<std::pair<std::string, std::int64_t>> cases = {
        {"0 0 (UTC: 1970-1-1T0:0:0.0Z GMT offset: 0 DST: 0)", 0},
        {"0 0 garbage", 0},
        {"5 7", 5007},
        {"5", 5000},
        {"5 x", 5000},
        {"x 7", 0},
        {"", 0},
    };
    for (const auto& [text, ms] : cases) {
        store(text);
        EXPECT_EQ(w.get().milliseconds_since_epoch(), ms) << '"' << text << '"';
    }
}

TEST_F(wrappers_test, optional_timestamp_wrapper) {
    optional_timestamp_wrapper w(field());
    EXPECT_FALSE(w.get().has_value());

    w.set(timestamp::from_milliseconds(1700000000123));
    EXPECT_EQ(stored(), "1700000000 123 (UTC: 2023-11-14T22:13:20.123Z GMT offset: 0 DST: 0) ");
    ASSERT_TRUE(w.get().has_value());
    EXPECT_EQ(w.get()->milliseconds_since_epoch(), 1700000000123);

    w.set(boost::none);
    EXPECT_EQ(stored(), "");
    EXPECT_FALSE(w.get().has_value());

    store(" ");
    ASSERT_TRUE(w.get().has_value());
    EXPECT_EQ(w.get()->milliseconds_since_epoch(), 0);
}

} // namespace
} // namespace orv::redis::test
