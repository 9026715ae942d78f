#include "support/agent_config.h"

#include "utils/json.h"

namespace orv::test {

Json::Value make_agent_config(const temp_dir& dir, int redis_port, const std::string& agent_uid) {
    Json::Value config;
    config["system"]["queuesdbfile"] = dir.file("queues.db");
    config["system"]["pidfile"] = dir.file("agent.pid");
    config["system"]["uidfile"] = dir.write("uid", agent_uid + "\n");
    config["proxy"]["address"] = "127.0.0.1";
    config["proxy"]["output_port"] = free_port();
    config["proxy"]["input_port"] = free_port();
    config["local_server"]["protocol"] = "http";
    config["local_server"]["address"] = "127.0.0.1:" + std::to_string(free_port());
    config["local_server"]["timeout"] = 5;
    config["monitor_server"]["protocol"] = "http";
    config["monitor_server"]["address"] = "127.0.0.1:" + std::to_string(free_port());
    config["monitor_server"]["timeout"] = 5;
    config["monitor_server"]["events_package_size"] = 10;
    config["monitor_server"]["emailfile"] = dir.write("email", "agent@example.com\n");
    config["monitor_server"]["passwordfile"] = dir.write("password", "secret\n");
    config["redis"]["host"] = "127.0.0.1";
    config["redis"]["port"] = redis_port;
    config["redis"]["password"] = "";
    config["events"]["device_low_battery"]["set_battery_level"] = 20;
    config["events"]["device_low_battery"]["clear_battery_level"] = 30;
    config["modules"]["additional_modules"] = Json::Value(Json::arrayValue);
    return config;
}

std::string write_agent_config(const temp_dir& dir, const Json::Value& config, const std::string& name) {
    return dir.write(name, utils::json_to_string(config));
}

} // namespace orv::test
