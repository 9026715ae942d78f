#include "utils/json.h"

#include "utils/exceptions.h"

#include <gtest/gtest.h>

using namespace orv::utils;

namespace {

TEST(json, to_string_is_compact_single_line) {
    Json::Value simple;
    simple["a"] = 1;
    EXPECT_EQ(json_to_string(simple), R"({"a":1})");

    Json::Value nested;
    nested["list"].append(1);
    nested["list"].append("two");
    nested["obj"]["flag"] = true;
    nested["obj"]["none"] = Json::nullValue;
    nested["text"] = "a \"quoted\"\nline";
    EXPECT_EQ(json_to_string(nested),
              R"({"list":[1,"two"],"obj":{"flag":true,"none":null},"text":"a \"quoted\"\nline"})");
    EXPECT_EQ(json_to_string(Json::Value(Json::objectValue)), "{}");
}

TEST(json, try_parse_reports_value_or_error) {
    const auto good = json_try_parse(R"({"a": [1, 2], // comment
        "b": "x"})");
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_EQ(good.result["a"][1].asInt(), 2);
    EXPECT_EQ(good.result["b"].asString(), "x");

    const auto bad = json_try_parse(R"({"a": )");
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.error.empty());
}

TEST(json, parse_throws_the_parser_error_located) {
    const std::string text = "{broken";
    const auto expected = json_try_parse(text).error;
    try {
        json_parse(text);
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_EQ(std::string(e.what()), expected);
        EXPECT_NE(e.get_file().find("json.cpp"), std::string::npos);
        EXPECT_GT(e.get_line(), 0);
    }
    EXPECT_EQ(json_parse(R"({"k":3})")["k"].asInt(), 3);
}

} // namespace
