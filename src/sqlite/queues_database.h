#pragma once

#include "utils/strong_typedef.h"
#include "utils/synchronized_value.h"

#include <SQLiteCpp/Database.h>

#include <memory>
#include <mutex>
#include <string>

namespace orv::sqlite {

// The queue database: one SQLite handle shared by every thread of the process,
// reachable only while its one mutex is held. Every disk queue on it carries a
// copy of the same mutex pointer.
using synchronized_database = orv::utils::synchronized_value<SQLite::Database, std::shared_ptr<std::mutex>>;

// Number of bytes a table occupies in the database file.
struct bytes_tag {};
using bytes = orv::utils::strong_typedef<int, bytes_tag>;

// Opens (creating it if missing) a queue database file, read-write, with no busy
// time-out, in WAL journal mode with synchronous=FULL: every committed row is on
// stable storage when the statement returns.
SQLite::Database open_queues_database(const std::string& path);

// The process-wide queue database. The first call opens the file at `path`; every
// later call returns the same handle, whatever path it passes.
synchronized_database& get_queues_database(const std::string& path);

} // namespace orv::sqlite

namespace orv::utils {
// The name under which the module environment hands out the queue database.
using synchronized_value_shared = orv::sqlite::synchronized_database;
} // namespace orv::utils
