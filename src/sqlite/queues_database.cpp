#include "sqlite/queues_database.h"

namespace orv::sqlite {

SQLite::Database open_queues_database(const std::string& path) {
    SQLite::Database database(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, 0);
    // Every queued message is one autocommit INSERT. With a write-ahead log a commit
    // is one append and one fsync of the log instead of the journal's several
    // syncs; synchronous=FULL keeps each committed row through a power loss.
    // journal_mode answers the mode in force; a file system without WAL support
    // leaves the default rollback journal, which is just as durable.
    database.execAndGet("PRAGMA journal_mode=WAL;");
    database.exec("PRAGMA synchronous=FULL;");
    return database;
}

synchronized_database& get_queues_database(const std::string& path) {
    static synchronized_database database{open_queues_database(path)};
    return database;
}

} // namespace orv::sqlite
