// zenk-standins: runs the stand-ins for the local server, the message proxy and the
// monitor server on loopback, so that the agent can be tried without a site.

#include "standins/local_server.h"
#include "standins/message_proxy.h"
#include "standins/monitor_server.h"
#include "standins/site.h"

#include "utils/json.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/time.h>
#include <thread>

namespace {

using namespace orv::standins;

std::atomic<bool> g_stop{false};
std::mutex g_print_mutex;

extern "C" void on_signal(int) { g_stop = true; }

const char* const s_usage = R"(Usage: zenk-standins [COMMAND] [OPTIONS]

Stand-ins for the servers the monitoring agent talks to, on loopback.

Commands:
  all              run the local server, the message proxy and the monitor server (default)
  local-server     run the local server only
  proxy            run the message proxy only
  monitor-server   run the monitor server only
  generate         write a generated (large) site description as JSON
  help             show this text

Options:
  --host ADDR         address to listen on (default 127.0.0.1)
  --site FILE         site the local server answers from (default: the bundled sample site)
  --local-port N      local server port (default 18080; 0 picks a free port)
  --output-port N     proxy port the agent subscribes to (default 15556)
  --input-port N      proxy port the agent sends parameter requests to (default 15555)
  --monitor-port N    monitor server port (default 18081)
  --scenario FILE     proxy: publish these messages, starting once the agent has subscribed
  --answer-delay MS   proxy: answer parameter requests after MS milliseconds (default 0)
  --no-answer         proxy: never answer parameter requests
  --email TEXT        monitor server: accept only this e-mail at login (default: any)
  --password TEXT     monitor server: accept only this password at login (default: any)
  --requests-log FILE monitor server: append every request to FILE as one JSON line
  --quiet             do not print each request

Options of generate:
  --companies N (2)  --projects N (2 per company)  --locations N (2 per project)
  --sublocations N (2 per location)  --anchors N (1000)  --bridge-every N (10)
  --trackables N (1000)  --output FILE (default: standard output)

Stop with Ctrl-C; a summary of what was received is printed.
)";

void print(const std::string& line) {
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm parts{};
    localtime_r(&now.tv_sec, &parts);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(now.tv_usec / 1000));
    std::lock_guard<std::mutex> lock(g_print_mutex);
    std::cout << stamp << "  " << line << std::endl;
}

struct options {
    std::string command = "all";
    std::map<std::string, std::string> values;
    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback) const {
        auto it = values.find(name);
        return it == values.end() ? fallback : it->second;
    }
    int number(const std::string& name, int fallback) const {
        auto it = values.find(name);
        if (it == values.end())
            return fallback;
        std::size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(it->second, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != it->second.size() || value < 0)
            throw std::runtime_error("--" + name + " needs a non-negative number, not \"" + it->second + "\"");
        return value;
    }
};

options parse_command_line(int argc, char** argv) {
    static const std::map<std::string, bool> known = {
        {"host", true},        {"site", true},         {"local-port", true},   {"output-port", true},
        {"input-port", true},  {"monitor-port", true}, {"scenario", true},     {"answer-delay", true},
        {"no-answer", false},  {"email", true},        {"password", true},     {"requests-log", true},
        {"quiet", false},      {"companies", true},    {"projects", true},     {"locations", true},
        {"sublocations", true}, {"anchors", true},     {"bridge-every", true}, {"trackables", true},
        {"output", true},      {"help", false}};
    options result;
    int i = 1;
    if (i < argc && argv[i][0] != '-')
        result.command = argv[i++];
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h")
            arg = "--help";
        if (arg.compare(0, 2, "--") != 0)
            throw std::runtime_error("unexpected argument \"" + arg + "\"");
        std::string name = arg.substr(2), value;
        const auto equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        auto it = known.find(name);
        if (it == known.end())
            throw std::runtime_error("unknown option --" + name);
        if (it->second && equals == std::string::npos) {
            if (i + 1 >= argc)
                throw std::runtime_error("--" + name + " needs a value");
            value = argv[++i];
        }
        result.values[name] = value;
    }
    if (result.has("help"))
        result.command = "help";
    return result;
}

int generate(const options& opts) {
    site_size size;
    size.companies = opts.number("companies", size.companies);
    size.projects_per_company = opts.number("projects", size.projects_per_company);
    size.locations_per_project = opts.number("locations", size.locations_per_project);
    size.sublocations_per_location = opts.number("sublocations", size.sublocations_per_location);
    size.anchors = opts.number("anchors", size.anchors);
    size.bridge_every = opts.number("bridge-every", size.bridge_every);
    size.trackables = opts.number("trackables", size.trackables);
    const Json::Value site = generate_site(size);
    const std::string text = orv::utils::json_to_string(site) + "\n";
    if (opts.has("output")) {
        std::ofstream out(opts.get("output", ""));
        if (!(out << text))
            throw std::runtime_error("cannot write " + opts.get("output", ""));
        std::cerr << "wrote " << opts.get("output", "") << ": " << to_string(summarize_site(site)) << "\n";
    } else {
        std::cout << text;
    }
    return 0;
}

int run(const options& opts) {
    const bool all = opts.command == "all";
    const bool want_local = all || opts.command == "local-server";
    const bool want_proxy = all || opts.command == "proxy";
    const bool want_monitor = all || opts.command == "monitor-server";
    const std::string host = opts.get("host", "127.0.0.1");
    const bool quiet = opts.has("quiet");
    auto observer = [quiet](const std::string& line) {
        if (!quiet)
            print(line);
    };

    const std::string site_path = opts.get("site", sample_site_path());
    Json::Value site;
    if (want_local || want_proxy)
        site = load_site(site_path);

    std::unique_ptr<local_server> local;
    std::unique_ptr<message_proxy> proxy;
    std::unique_ptr<monitor_server> monitor;
    std::optional<Json::Value> scenario;

    if (want_local) {
        local = std::make_unique<local_server>(site, host, opts.number("local-port", 18080));
        local->set_observer(observer);
        print("local server:   " + local->address() + " answering from " + site_path);
        print("                site: " + to_string(summarize_site(site)));
    }
    if (want_proxy) {
        if (opts.has("scenario"))
            scenario = message_proxy::load_scenario(opts.get("scenario", ""));
        proxy = std::make_unique<message_proxy>(host, opts.number("output-port", 15556),
                                                opts.number("input-port", 15555));
        proxy->set_observer(observer);
        // Parameter 20 is answered with the sync frame the site reports for the node.
        for (const auto& parameters : site["node_parameters"]) {
            const Json::Value& sf = parameters["sf"].isMember("value") ? parameters["sf"]["value"] : parameters["sf"];
            if (sf.isObject())
                proxy->set_sf_answer(parameters["mac_address"].asString(), sf);
        }
        std::string answering = "answering parameter requests at once";
        if (opts.has("no-answer")) {
            proxy->set_answer_delay(std::nullopt);
            answering = "never answering parameter requests";
        } else if (opts.has("answer-delay")) {
            const int delay = opts.number("answer-delay", 0);
            proxy->set_answer_delay(std::chrono::milliseconds(delay));
            answering = "answering parameter requests after " + std::to_string(delay) + " ms";
        }
        print("message proxy:  publishing on " + proxy->output_endpoint() + ", requests on " +
              proxy->input_endpoint() + ", " + answering);
        if (scenario)
            print("                scenario " + opts.get("scenario", "") + " starts when \"#notify\" is subscribed");
    }
    if (want_monitor) {
        monitor = std::make_unique<monitor_server>(host, opts.number("monitor-port", 18081),
                                                   opts.get("requests-log", ""));
        monitor->set_observer(observer);
        if (opts.has("email") || opts.has("password"))
            monitor->set_credentials(opts.get("email", ""), opts.get("password", ""));
        print("monitor server: " + monitor->address() +
              (opts.has("requests-log") ? ", logging requests to " + opts.get("requests-log", "") : ""));
    }

    // The matching part of the agent's configuration file.
    Json::Value config{Json::objectValue};
    if (proxy) {
        config["proxy"]["address"] = host;
        config["proxy"]["output_port"] = proxy->output_port();
        config["proxy"]["input_port"] = proxy->input_port();
    }
    if (local) {
        config["local_server"]["protocol"] = "http";
        config["local_server"]["address"] = host + ":" + std::to_string(local->port());
        config["local_server"]["timeout"] = 10;
    }
    if (monitor) {
        config["monitor_server"]["protocol"] = "http";
        config["monitor_server"]["address"] = host;
        config["monitor_server"]["port"] = monitor->port();
    }
    print("agent configuration: " + orv::utils::json_to_string(config));
    print("running; Ctrl-C to stop");

    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    while (!g_stop) {
        if (scenario && proxy->subscriptions("#notify") > 0) {
            print("proxy: starting scenario");
            proxy->play(*scenario);
            scenario.reset();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    print("stopping");
    if (local) {
        const auto puts = local->shm_status_puts();
        print("local server: " + std::to_string(local->request_count()) + " requests, " +
              std::to_string(puts.size()) + " alarm list updates");
        std::map<std::string, std::string> latest;
        for (const auto& put : puts)
            latest[put.anchor_uid] = put.body;
        for (const auto& [anchor, body] : latest)
            print("  alarms of " + anchor + ": " + body);
    }
    if (proxy)
        print("message proxy: " + std::to_string(proxy->requests().size()) + " parameter requests, " +
              std::to_string(proxy->published_count()) + " frames published");
    if (monitor)
        print("monitor server: " + std::to_string(monitor->requests().size()) + " requests, " +
              std::to_string(monitor->accepted().size()) + " accepted, " + std::to_string(monitor->logins()) +
              " logins, " + std::to_string(monitor->accepted_events().size()) + " events");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const options opts = parse_command_line(argc, argv);
        if (opts.command == "help") {
            std::cout << s_usage;
            return 0;
        }
        if (opts.command == "generate")
            return generate(opts);
        if (opts.command == "all" || opts.command == "local-server" || opts.command == "proxy" ||
            opts.command == "monitor-server")
            return run(opts);
        throw std::runtime_error("unknown command \"" + opts.command + "\"");
    } catch (const std::exception& e) {
        std::cerr << "zenk-standins: " << e.what() << "\n(see zenk-standins --help)\n";
        return 2;
    }
}
