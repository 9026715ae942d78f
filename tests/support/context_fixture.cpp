#include "support/context_fixture.h"

#include <algorithm>
#include <sstream>

namespace orv::test {

redis_server& context_fixture::redis() {
    // Stopped by its destructor at exit.
    static redis_server server;
    return server;
}

void context_fixture::SetUp() {
    redis().flushall();
    redis().command("CONFIG RESETSTAT");
    m_queues_db = std::make_unique<sqlite::synchronized_database>(
        sqlite::open_queues_database(m_dir.file("queues.db")));
    reconnect();
}

void context_fixture::TearDown() {
    m_recording_accessor.reset();
    m_recorder.reset();
    m_accessor.reset();
    m_redis_context.reset();
    m_queues_db.reset();
}

void context_fixture::reconnect() {
    m_recording_accessor.reset();
    m_recorder.reset();
    m_accessor.reset();
    m_redis_context.reset();
    m_redis_context = std::make_unique<redis::context_impl>(redis().host(), redis().port(), 0u,
                                                           redis().password(), m_should_stop);
    m_accessor = std::make_unique<context::accessor_impl>(*m_redis_context, *m_queues_db);
}

context::accessor_impl& context_fixture::recording_context() {
    if (!m_recording_accessor) {
        m_recorder = std::make_unique<recording_redis_context>(*m_redis_context);
        m_recording_accessor = std::make_unique<context::accessor_impl>(*m_recorder, *m_queues_db);
    }
    return *m_recording_accessor;
}

recording_redis_context& context_fixture::recorder() {
    recording_context();
    return *m_recorder;
}

namespace {
std::vector<std::string> sorted_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
} // namespace

std::vector<std::string> context_fixture::all_keys() { return sorted_lines(redis().command("KEYS *")); }

std::vector<std::string> context_fixture::members(const std::string& key) {
    return sorted_lines(redis().command("SMEMBERS %s", key.c_str()));
}

std::string context_fixture::field(const std::string& key, const std::string& name) {
    return redis().command("HGET %s %s", key.c_str(), name.c_str());
}

std::map<std::string, long> context_fixture::command_calls() {
    // Lines look like "cmdstat_hset:calls=3,usec=...".
    std::map<std::string, long> calls;
    std::istringstream lines(redis().command("INFO commandstats"));
    std::string line;
    while (std::getline(lines, line)) {
        const std::string prefix = "cmdstat_";
        const auto colon = line.find(':');
        if (line.compare(0, prefix.size(), prefix) != 0 || colon == std::string::npos) {
            continue;
        }
        const auto value_at = line.find("calls=", colon);
        if (value_at == std::string::npos) {
            continue;
        }
        calls[line.substr(prefix.size(), colon - prefix.size())] = std::stol(line.substr(value_at + 6));
    }
    return calls;
}

std::map<std::string, long> context_fixture::calls_delta(const std::map<std::string, long>& before,
                                                         const std::map<std::string, long>& after) {
    std::map<std::string, long> delta;
    for (const auto& [name, count] : after) {
        const auto it = before.find(name);
        const long diff = count - (it == before.end() ? 0 : it->second);
        if (diff != 0) {
            delta[name] = diff;
        }
    }
    // The statistics query of `before` itself.
    if (auto it = delta.find("info"); it != delta.end() && --it->second == 0) {
        delta.erase(it);
    }
    return delta;
}

long context_fixture::total(const std::map<std::string, long>& calls) {
    long sum = 0;
    for (const auto& entry : calls) {
        sum += entry.second;
    }
    return sum;
}

} // namespace orv::test
