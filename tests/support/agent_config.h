#pragma once

#include "support/temp_dir.h"

#include <json/json.h>

#include <string>

namespace orv::test {

// A complete, valid agent configuration whose files live in `dir`: the uid,
// e-mail and password files are written, the pid file and queue database are
// paths inside the directory. Tests change members before writing it out.
Json::Value make_agent_config(const temp_dir& dir, int redis_port, const std::string& agent_uid = "agent-uid-1");

// Writes the configuration as JSON and returns the file's path.
std::string write_agent_config(const temp_dir& dir, const Json::Value& config,
                               const std::string& name = "config.json");

} // namespace orv::test
