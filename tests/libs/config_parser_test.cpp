#include "config-parser/config.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <json/value.h>

#include <boost/optional/bad_optional_access.hpp>
#include <boost/optional/optional_io.hpp>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace cfg = orv::libs::config;

namespace {

std::unique_ptr<cfg::config> parse(const std::string& text) {
    std::istringstream stream(text);
    return cfg::config::create<cfg::type::json>(stream);
}

std::vector<int> ints_of(const cfg::value::array& elements) {
    std::vector<int> out;
    for (const auto& element : elements) {
        out.push_back(element.as_int().value_or(-1));
    }
    return out;
}

std::string parse_error_of(std::istream& stream) {
    try {
        cfg::config::create<cfg::type::json>(stream);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

// ---- parsing ---------------------------------------------------------------

TEST(config_parser, accepts_comments_and_ignores_text_after_the_root) {
    const auto config = parse(R"(// leading comment
        {
            /* block */ "a": 1, // trailing
            "b": "x"
        }
        trailing garbage)");
    EXPECT_EQ(config->get<int>("a"), 1);
    EXPECT_EQ(config->get<std::string>("b"), std::string("x"));
}

TEST(config_parser, invalid_documents_throw_cannot_parse_json) {
    for (const std::string text : {"", "{", "{\"a\": }", "{\"a\" 1}", "nonsense"}) {
        SCOPED_TRACE(text);
        std::istringstream stream(text);
        const auto message = parse_error_of(stream);
        EXPECT_EQ(message.rfind("Cannot parse json: ", 0), 0u) << message;
        EXPECT_GT(message.size(), std::string("Cannot parse json: ").size()) << "no parser report";
    }
}

TEST(config_parser, unreadable_stream_throws_cannot_parse_json) {
    orv::test::temp_dir dir;
    std::ifstream missing(dir.file("does-not-exist.json"));
    ASSERT_FALSE(missing.is_open());
    EXPECT_EQ(parse_error_of(missing).rfind("Cannot parse json: ", 0), 0u);
}

TEST(config_parser, reads_a_file_stream) {
    orv::test::temp_dir dir;
    std::ifstream file(dir.write("c.json", R"({"outer": {"inner": [1, 2]}})"));
    const auto config = cfg::config::create<cfg::type::json>(file);
    const auto elements = config->get_by_path<cfg::value::array>({"outer", "inner"});
    ASSERT_TRUE(elements.ok()) << elements.reason();
    EXPECT_EQ(ints_of(elements.value()), (std::vector<int>{1, 2}));
}

TEST(config_parser, top_level_that_is_not_an_object_has_no_members) {
    for (const std::string text : {"[1, 2]", "5", "\"text\"", "null"}) {
        SCOPED_TRACE(text);
        const auto config = parse(text);
        EXPECT_TRUE(config->get_root().get_keys().empty());
        EXPECT_FALSE(config->get_root().get_value(""));
    }
}

// ---- scalar conversions ----------------------------------------------------

TEST(config_parser, scalar_conversions_accept_only_their_own_kind) {
    struct row {
        const char* json;
        boost::optional<bool> as_bool;
        boost::optional<int> as_int;
        boost::optional<double> as_double;
        boost::optional<std::string> as_string;
    };
    const std::vector<row> rows = {
        {"true", true, {}, {}, {}},
        {"false", false, {}, {}, {}},
        {"1", {}, 1, 1.0, {}},
        {"0", {}, 0, 0.0, {}},
        {"-12", {}, -12, -12.0, {}},
        {"7.0", {}, 7, 7.0, {}},
        {"7.5", {}, {}, 7.5, {}},
        {"2147483647", {}, 2147483647, 2147483647.0, {}},
        {"-2147483648", {}, -2147483647 - 1, -2147483648.0, {}},
        {"\"7\"", {}, {}, {}, std::string("7")},
        {"\"true\"", {}, {}, {}, std::string("true")},
        {"\"\"", {}, {}, {}, std::string("")},
        {"null", {}, {}, {}, {}},
        {"{}", {}, {}, {}, {}},
        {"[]", {}, {}, {}, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.json);
        const auto config = parse(std::string("{\"k\": ") + r.json + "}");
        const auto found = config->get_root().get_value("k");
        ASSERT_TRUE(found);
        EXPECT_EQ(found->as_bool(), r.as_bool);
        EXPECT_EQ(found->as_int(), r.as_int);
        EXPECT_EQ(found->as_double(), r.as_double);
        EXPECT_EQ(found->as_string(), r.as_string);
        const bool is_object = std::string(r.json) == "{}";
        const bool is_array = std::string(r.json) == "[]";
        EXPECT_EQ(found->as_object().has_value(), is_object);
        EXPECT_EQ(found->as_array().has_value(), is_array);
    }
}

TEST(config_parser, int_beyond_32_bits_makes_jsoncpp_throw) {
    const auto config = parse(R"({"big": 2147483648, "small": -2147483649, "huge": 1e300})");
    EXPECT_THROW(config->get<int>("big"), Json::LogicError);
    EXPECT_THROW(config->get<int>("small"), Json::LogicError);
    // Not integral at all: simply not an int.
    EXPECT_FALSE(config->get<int>("huge"));
    EXPECT_EQ(config->get<double>("big"), 2147483648.0);
}

// ---- dictionaries and arrays -----------------------------------------------

TEST(config_parser, dictionary_lists_keys_in_byte_order_and_finds_members) {
    const auto config = parse("{\"b\": 1, \"B\": 2, \"a\": 3, \"\\u00e9\": 4, \"_\": 5, \"ab\": 6}");
    const auto& root = config->get_root();
    EXPECT_EQ(root.get_keys(),
              (std::vector<std::string>{"B", "_", "a", "ab", "b", "\xc3\xa9"}));
    EXPECT_EQ(root.get<int>("B"), 2);
    EXPECT_EQ(root.get<int>("\xc3\xa9"), 4);
    EXPECT_FALSE(root.get_value("c"));
    EXPECT_FALSE(root.get<int>("c"));
    EXPECT_FALSE(root.get<std::string>("a"));
}

TEST(config_parser, nested_arrays_and_objects_keep_document_order) {
    const auto config = parse(R"({"list": [3, "x", {"id": 7}, [1, [2, 3]], true, null]})");
    const auto elements = config->get<cfg::value::array>("list");
    ASSERT_TRUE(elements);
    std::vector<const cfg::value*> items;
    for (const auto& element : *elements) {
        items.push_back(&element);
    }
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0]->as_int(), 3);
    EXPECT_EQ(items[1]->as_string(), std::string("x"));
    ASSERT_TRUE(items[2]->as_object());
    EXPECT_EQ(items[2]->as_object()->get<int>("id"), 7);
    const auto inner = items[3]->as_array();
    ASSERT_TRUE(inner);
    auto inner_it = inner->begin();
    EXPECT_EQ(inner_it->as_int(), 1);
    ++inner_it;
    ASSERT_TRUE(inner_it->as_array());
    EXPECT_EQ(ints_of(*inner_it->as_array()), (std::vector<int>{2, 3}));
    EXPECT_EQ(items[4]->as_bool(), true);
    EXPECT_FALSE(items[5]->as_int());

    // The range is bidirectional: walk it backwards.
    auto it = elements->end();
    --it;
    EXPECT_FALSE(it->as_bool());
    --it;
    EXPECT_EQ(it->as_bool(), true);

    const auto empty = parse(R"({"e": []})")->get<cfg::value::array>("e");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST(config_parser, references_stay_valid_in_a_large_document) {
    // Many objects and arrays: references handed out early must survive every
    // later insertion into the tree.
    std::string text = "{\"items\": [";
    for (int i = 0; i < 300; ++i) {
        text += (i ? "," : "") + std::string("{\"id\": ") + std::to_string(i) +
                ", \"sub\": {\"values\": [" + std::to_string(i) + ", [" + std::to_string(i * 2) +
                "]]}}";
    }
    text += "], \"tail\": {\"x\": {\"y\": 9}}}";
    const auto config = parse(text);
    const auto items = config->get<cfg::value::array>("items");
    ASSERT_TRUE(items);
    int expected = 0;
    for (const auto& item : *items) {
        const auto object = item.as_object();
        ASSERT_TRUE(object);
        EXPECT_EQ(object->get<int>("id"), expected);
        const auto values = object->get<const cfg::dictionary&>("sub")->get<cfg::value::array>("values");
        ASSERT_TRUE(values);
        auto it = values->begin();
        EXPECT_EQ(it->as_int(), expected);
        ++it;
        EXPECT_EQ(ints_of(*it->as_array()), (std::vector<int>{expected * 2}));
        ++expected;
    }
    EXPECT_EQ(expected, 300);
    EXPECT_EQ(config->get_by_path<int>({"tail", "x", "y"}).try_get(), 9);
}

// ---- path lookup -----------------------------------------------------------

TEST(config_parser, get_by_path_values_and_reasons) {
    const auto config = parse(R"({
        "a": {"b": 5, "s": "text", "t": true, "l": [1, 2], "n": {"deep": {"v": 1}}},
        "top": 4, "one": 1
    })");
    struct row {
        std::string description;
        cfg::result<int> actual;
        boost::optional<int> expected;
        std::string reason;
    };
    const std::vector<row> int_rows = {
        {"nested int", config->get_by_path<int>({"a", "b"}), 5, ""},
        {"top level int", config->get_by_path<int>({"top"}), 4, ""},
        {"three levels", config->get_by_path<int>({"a", "n", "deep", "v"}), 1, ""},
        {"missing first object", config->get_by_path<int>({"x", "b"}), {},
         "Can not find object <object>: x, path: x.b"},
        {"middle is a number", config->get_by_path<int>({"a", "b", "c"}), {},
         "Can not find object <object>: a.b, path: a.b.c"},
        {"middle missing deeper", config->get_by_path<int>({"a", "n", "none", "v"}), {},
         "Can not find object <object>: a.n.none, path: a.n.none.v"},
        {"first is a scalar", config->get_by_path<int>({"top", "b"}), {},
         "Can not find object <object>: top, path: top.b"},
        {"missing last key", config->get_by_path<int>({"a", "zz"}), {},
         "Can not find field <int>: a.zz"},
        {"missing top key", config->get_by_path<int>({"zz"}), {}, "Can not find field <int>: zz"},
        {"wrong kind", config->get_by_path<int>({"a", "s"}), {}, "Can not find field <int>: a.s"},
        {"object is not an int", config->get_by_path<int>({"a", "n"}), {},
         "Can not find field <int>: a.n"},
    };
    for (const auto& r : int_rows) {
        SCOPED_TRACE(r.description);
        EXPECT_EQ(r.actual.ok(), r.expected.has_value());
        EXPECT_EQ(r.actual.try_get(), r.expected);
        EXPECT_EQ(r.actual.reason(), r.reason);
    }

    EXPECT_EQ(config->get_by_path<std::string>({"a", "b"}).reason(),
              "Can not find field <string>: a.b");
    EXPECT_EQ(config->get_by_path<std::string>({"a", "s"}).try_get(), std::string("text"));
    EXPECT_EQ(config->get_by_path<bool>({"a", "t"}).try_get(), true);
    EXPECT_EQ(config->get_by_path<bool>({"one"}).reason(), "Can not find field <bool>: one");
    EXPECT_EQ(config->get_by_path<cfg::value::array>({"a", "b"}).reason(),
              "Can not find field <array>: a.b");
    const auto list = config->get_by_path<cfg::value::array>({"a", "l"});
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(ints_of(list.value()), (std::vector<int>{1, 2}));
}

TEST(config_parser, get_by_path_rejects_an_empty_path) {
    const auto config = parse("{}");
    EXPECT_THROW(config->get_by_path<int>({}), orv::libs::core::check_failed_exception);
}

// ---- results and their combination ---------------------------------------

TEST(config_parser_result, value_of_an_error_throws_bad_optional_access) {
    const cfg::result<int> failed(cfg::error_reason{"gone"});
    EXPECT_FALSE(failed.ok());
    EXPECT_FALSE(failed.try_get());
    EXPECT_EQ(failed.reason(), "gone");
    try {
        (void)failed.value();
        FAIL() << "value() of an error result returned";
    } catch (const boost::bad_optional_access& error) {
        EXPECT_STREQ(error.what(), "Attempted to access the value of an uninitialized optional object.");
    }

    const cfg::result<std::string> held(std::string("v"));
    EXPECT_TRUE(held.ok());
    EXPECT_EQ(held.value(), "v");
    EXPECT_EQ(held.reason(), "");
}

TEST(config_parser_result, combination_of_values_is_one_flat_tuple) {
    const cfg::result<int> a(1);
    const cfg::result<std::string> b(std::string("two"));
    const cfg::result<bool> c(true);
    const cfg::result<int> d(4);
    const auto all = a + b + c + d;
    static_assert(std::is_same_v<std::decay_t<decltype(all)>,
                                 cfg::result<std::tuple<int, std::string, bool, int>>>);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all.value(), std::make_tuple(1, std::string("two"), true, 4));

    // A tuple on the right contributes its elements too.
    const auto right_grouped = a + (b + c);
    EXPECT_EQ(right_grouped.value(), std::make_tuple(1, std::string("two"), true));
}

TEST(config_parser_result, combination_collects_every_reason_in_operand_order) {
    const cfg::result<int> ok(1);
    const cfg::result<int> first(cfg::error_reason{"first"});
    const cfg::result<std::string> second(cfg::error_reason{"second"});
    const cfg::result<bool> third(cfg::error_reason{"third"});

    EXPECT_EQ((first + second).reason(), "first\nsecond");
    EXPECT_EQ((second + first).reason(), "second\nfirst");
    EXPECT_EQ((ok + first).reason(), "first");
    EXPECT_EQ((first + ok).reason(), "first");
    const auto chained = first + ok + second + ok + third;
    EXPECT_FALSE(chained.ok());
    EXPECT_EQ(chained.reason(), "first\nsecond\nthird");
    EXPECT_FALSE(chained.try_get());
}
