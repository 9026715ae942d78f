#include "config.h"

#include "support/temp_dir.h"
#include "utils/exceptions.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A complete, valid configuration with a distinct value in every key.
const char* const valid_text = R"({
    "system": {"queuesdbfile": "/q.db", "pidfile": "/a.pid", "uidfile": "/uid",
               "generate_backtrace": true},
    "proxy": {"address": "10.0.0.1", "output_port": 5556, "input_port": 5555},
    "local_server": {"protocol": "http", "address": "127.0.0.1:8000", "timeout": 11},
    "monitor_server": {"protocol": "https", "address": "ms.example", "timeout": 12,
                       "events_package_size": 50, "emailfile": "/email",
                       "passwordfile": "/password"},
    "redis": {"host": "127.0.0.2", "port": 6380, "password": "secret"},
    "events": {"device_low_battery": {"set_battery_level": 15, "clear_battery_level": 25}},
    "modules": {"additional_modules": ["first", "second"]},
    "unknown": {"ignored": 1}
})";

// The required keys with their types, in the order their failures are reported.
const std::vector<std::pair<std::vector<std::string>, std::string>> required_keys = {
    {{"system", "pidfile"}, "string"},
    {{"system", "uidfile"}, "string"},
    {{"system", "queuesdbfile"}, "string"},
    {{"proxy", "address"}, "string"},
    {{"proxy", "output_port"}, "int"},
    {{"proxy", "input_port"}, "int"},
    {{"local_server", "protocol"}, "string"},
    {{"local_server", "address"}, "string"},
    {{"local_server", "timeout"}, "int"},
    {{"monitor_server", "protocol"}, "string"},
    {{"monitor_server", "address"}, "string"},
    {{"monitor_server", "timeout"}, "int"},
    {{"monitor_server", "events_package_size"}, "int"},
    {{"monitor_server", "emailfile"}, "string"},
    {{"monitor_server", "passwordfile"}, "string"},
    {{"redis", "host"}, "string"},
    {{"redis", "port"}, "int"},
    {{"redis", "password"}, "string"},
    {{"events", "device_low_battery", "set_battery_level"}, "int"},
    {{"events", "device_low_battery", "clear_battery_level"}, "int"},
    {{"modules", "additional_modules"}, "array"},
};

Json::Value valid_document() {
    Json::Value document;
    std::istringstream stream(valid_text);
    std::string errors;
    if (!Json::parseFromStream(Json::CharReaderBuilder(), stream, &document, &errors)) {
        throw std::logic_error("test fixture is not JSON: " + errors);
    }
    return document;
}

Json::Value& at(Json::Value& document, std::initializer_list<const char*> path) {
    Json::Value* node = &document;
    for (const char* key : path) {
        node = &(*node)[key];
    }
    return *node;
}

void remove(Json::Value& document, std::initializer_list<const char*> parent, const char* key) {
    at(document, parent).removeMember(key);
}

std::string to_text(const Json::Value& document) {
    return Json::writeString(Json::StreamWriterBuilder(), document);
}

orv::config load(const std::string& text) {
    std::istringstream stream(text);
    return orv::config(stream, "/etc/agent.json");
}

// The message of the orv::exception that loading throws, or a note that it did not.
std::string invalid_message(const std::string& text) {
    try {
        load(text);
    } catch (const orv::exception& error) {
        EXPECT_FALSE(error.get_file().empty());
        EXPECT_GT(error.get_line(), 0);
        return error.what();
    }
    return "<loaded without error>";
}

std::string missing_field(const std::string& type, const std::string& path) {
    return "Can not find field <" + type + ">: " + path;
}

} // namespace

TEST(config, reads_every_key_of_a_complete_file) {
    const auto cfg = load(valid_text);
    EXPECT_EQ(cfg.config_file_name, "/etc/agent.json");
    EXPECT_EQ(cfg.system_queuesdbfile, "/q.db");
    EXPECT_EQ(cfg.system_uidfile, "/uid");
    EXPECT_EQ(cfg.system_pidfile, "/a.pid");
    EXPECT_EQ(cfg.proxy_address, "10.0.0.1");
    EXPECT_EQ(cfg.proxy_output_port, 5556);
    EXPECT_EQ(cfg.proxy_input_port, 5555);
    EXPECT_EQ(cfg.local_server_protocol, "http");
    EXPECT_EQ(cfg.local_server_address, "127.0.0.1:8000");
    EXPECT_EQ(cfg.local_server_timeout, 11);
    EXPECT_EQ(cfg.monitor_server_protocol, "https");
    EXPECT_EQ(cfg.monitor_server_address, "ms.example");
    EXPECT_EQ(cfg.monitor_server_timeout, 12);
    EXPECT_EQ(cfg.monitor_server_events_package_size, 50);
    EXPECT_EQ(cfg.monitor_server_emailfile, "/email");
    EXPECT_EQ(cfg.monitor_server_passwordfile, "/password");
    EXPECT_EQ(cfg.redis_host, "127.0.0.2");
    EXPECT_EQ(cfg.redis_port, 6380);
    EXPECT_EQ(cfg.redis_password, "secret");
    EXPECT_EQ(cfg.events.device_low_battery.set_battery_level, 15);
    EXPECT_EQ(cfg.events.device_low_battery.clear_battery_level, 25);
    EXPECT_EQ(cfg.modules_additional_modules, (std::vector<std::string>{"first", "second"}));
    // Optional keys are absent here; system.generate_backtrace is not the switch.
    EXPECT_FALSE(cfg.system_generate_backtrace);
    EXPECT_FALSE(cfg.monitor_server_port.has_value());
    EXPECT_FALSE(cfg.monitor_server_debug_port.has_value());
    EXPECT_FALSE(cfg.monitor_server_debug_dry_run);
}

TEST(config, optional_keys_present_are_read) {
    auto document = valid_document();
    auto& monitor = document["monitor_server"];
    monitor["port"] = 8443;
    monitor["debug_port"] = 7000;
    monitor["generate_backtrace"] = true;
    monitor["debug_dry_run"] = true;
    const auto cfg = load(to_text(document));
    EXPECT_EQ(cfg.monitor_server_port, 8443);
    EXPECT_EQ(cfg.monitor_server_debug_port, 7000);
    EXPECT_TRUE(cfg.system_generate_backtrace);
    EXPECT_TRUE(cfg.monitor_server_debug_dry_run);
}

TEST(config, optional_keys_of_another_type_count_as_absent) {
    auto document = valid_document();
    auto& monitor = document["monitor_server"];
    monitor["port"] = "443";
    monitor["debug_port"] = 7000.5;
    monitor["generate_backtrace"] = "true";
    monitor["debug_dry_run"] = 1;
    const auto cfg = load(to_text(document));
    EXPECT_FALSE(cfg.monitor_server_port.has_value());
    EXPECT_FALSE(cfg.monitor_server_debug_port.has_value());
    EXPECT_FALSE(cfg.system_generate_backtrace);
    EXPECT_FALSE(cfg.monitor_server_debug_dry_run);
}

TEST(config, reports_every_missing_or_mistyped_key_in_one_error) {
    struct row {
        const char* description;
        void (*edit)(Json::Value&);
        std::vector<std::string> reasons;
    };
    const std::vector<row> rows = {
        {"redis.port and system.pidfile missing",
         [](Json::Value& d) {
             remove(d, {"redis"}, "port");
             remove(d, {"system"}, "pidfile");
         },
         {missing_field("string", "system.pidfile"), missing_field("int", "redis.port")}},
        {"proxy object missing", [](Json::Value& d) { d.removeMember("proxy"); },
         {"Can not find object <object>: proxy, path: proxy.address",
          "Can not find object <object>: proxy, path: proxy.output_port",
          "Can not find object <object>: proxy, path: proxy.input_port"}},
        {"inner object missing",
         [](Json::Value& d) { d["events"] = Json::Value(Json::objectValue); },
         {"Can not find object <object>: events.device_low_battery, path: "
          "events.device_low_battery.set_battery_level",
          "Can not find object <object>: events.device_low_battery, path: "
          "events.device_low_battery.clear_battery_level"}},
        {"object of another type", [](Json::Value& d) { d["redis"] = "localhost"; },
         {"Can not find object <object>: redis, path: redis.host",
          "Can not find object <object>: redis, path: redis.port",
          "Can not find object <object>: redis, path: redis.password"}},
        {"redis.port as a string", [](Json::Value& d) { d["redis"]["port"] = "6379"; },
         {missing_field("int", "redis.port")}},
        {"fractional timeout, numeric address, null password, boolean port",
         [](Json::Value& d) {
             d["local_server"]["timeout"] = 1.5;
             d["monitor_server"]["address"] = 17;
             d["redis"]["password"] = Json::Value();
             d["proxy"]["input_port"] = true;
         },
         {missing_field("int", "proxy.input_port"), missing_field("int", "local_server.timeout"),
          missing_field("string", "monitor_server.address"),
          missing_field("string", "redis.password")}},
        {"module list not an array",
         [](Json::Value& d) { d["modules"]["additional_modules"] = "first,second"; },
         {missing_field("array", "modules.additional_modules")}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.description);
        auto document = valid_document();
        r.edit(document);
        const auto message = invalid_message(to_text(document));
        std::string expected = "Config file is invalid: ";
        for (std::size_t i = 0; i < r.reasons.size(); ++i) {
            expected += (i ? "\n" : "") + r.reasons[i];
        }
        EXPECT_EQ(message, expected);
    }
}

TEST(config, empty_object_reports_all_required_keys_in_order) {
    std::string expected = "Config file is invalid: ";
    for (std::size_t i = 0; i < required_keys.size(); ++i) {
        const auto& path = required_keys[i].first;
        std::string joined;
        for (const auto& key : path) {
            joined += (joined.empty() ? "" : ".") + key;
        }
        expected += (i ? "\n" : "") + std::string("Can not find object <object>: ") + path.front() +
                    ", path: " + joined;
    }
    EXPECT_EQ(invalid_message("{}"), expected);
}

TEST(config, each_required_key_alone_is_reported_with_its_type) {
    for (const auto& [path, type] : required_keys) {
        std::string joined;
        for (const auto& key : path) {
            joined += (joined.empty() ? "" : ".") + key;
        }
        SCOPED_TRACE(joined);
        auto document = valid_document();
        Json::Value* parent = &document;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            parent = &(*parent)[path[i]];
        }
        parent->removeMember(path.back());
        EXPECT_EQ(invalid_message(to_text(document)),
                  "Config file is invalid: " + missing_field(type, joined));
    }
}

TEST(config, additional_modules) {
    auto document = valid_document();
    document["modules"]["additional_modules"] = Json::Value(Json::arrayValue);
    EXPECT_TRUE(load(to_text(document)).modules_additional_modules.empty());

    auto& modules = document["modules"]["additional_modules"];
    modules.append("b-service");
    modules.append("a-service");
    modules.append("");
    EXPECT_EQ(load(to_text(document)).modules_additional_modules,
              (std::vector<std::string>{"b-service", "a-service", ""}));

    for (const auto& bad : {Json::Value(3), Json::Value(Json::objectValue), Json::Value()}) {
        auto with_bad = valid_document();
        auto& list = with_bad["modules"]["additional_modules"];
        list = Json::Value(Json::arrayValue);
        list.append("one");
        list.append("two");
        list.append(bad);
        list.append("four");
        EXPECT_EQ(invalid_message(to_text(with_bad)),
                  "Config file is invalid: element 2 of the list additional_modules is not a string");
    }
}

TEST(config, integers_accept_integral_reals_and_throw_beyond_32_bits) {
    auto document = valid_document();
    document["redis"]["port"] = 6379.0;
    EXPECT_EQ(load(to_text(document)).redis_port, 6379);

    document["redis"]["port"] = Json::Value(Json::Int64(2147483648LL));
    EXPECT_THROW(load(to_text(document)), Json::LogicError);
}

TEST(config, comments_are_allowed) {
    const std::string text = std::string("// agent settings\n/* block */\n") + valid_text;
    EXPECT_EQ(load(text).redis_port, 6380);
}

TEST(config, malformed_or_unreadable_input_throws_cannot_parse_json) {
    auto parse_error = [](std::istream& stream) -> std::string {
        try {
            orv::config cfg(stream, "x");
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "<loaded without error>";
    };
    const std::string truncated(valid_text, std::string(valid_text).size() / 2);
    for (const auto& text : {std::string(), truncated, std::string("{\"system\": {,}}")}) {
        std::istringstream stream(text);
        EXPECT_EQ(parse_error(stream).rfind("Cannot parse json: ", 0), 0u);
    }

    orv::test::temp_dir dir;
    std::ifstream missing(dir.file("missing.json"));
    EXPECT_EQ(parse_error(missing).rfind("Cannot parse json: ", 0), 0u);
    std::ifstream directory(dir.path());
    EXPECT_EQ(parse_error(directory).rfind("Cannot parse json: ", 0), 0u);
}

TEST(config, shipped_sample_is_valid) {
    const std::string path =
        std::string(ORV_SOURCE_DIR) + "/packaging/zenk-monitor-agent.conf.sample";
    std::ifstream file(path);
    ASSERT_TRUE(file.is_open()) << path;
    const orv::config cfg(file, path);
    EXPECT_EQ(cfg.config_file_name, path);
    EXPECT_FALSE(cfg.system_pidfile.empty());
    EXPECT_FALSE(cfg.system_queuesdbfile.empty());
    EXPECT_EQ(cfg.redis_port, 6379);
    EXPECT_EQ(cfg.monitor_server_port, 443);
    EXPECT_LE(cfg.events.device_low_battery.set_battery_level,
              cfg.events.device_low_battery.clear_battery_level);
}
