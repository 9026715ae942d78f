#pragma once

#include <SQLiteCpp/Database.h>

#include <string>
#include <vector>

namespace orv::sqlite {

// A first-in first-out list of texts in one table of the queue database. The
// table (named after the queue) is created by the constructor if it is missing.
// No operation locks: callers hold the queue database mutex.
class queue {
public:
    queue(std::string name, SQLite::Database& database);

    const std::string& get_name() const { return m_name; }
    void add(const std::string& value);
    // The oldest value; throws check_failed_exception on an empty queue.
    std::string front() const;
    // front(), then removes it. If the delete fails the value stays queued.
    std::string pop();
    // Up to `count` oldest values, oldest first.
    std::vector<std::string> get_first_values(int count) const;
    // Removes the `count` oldest values (all of them if there are fewer).
    void delete_first_values(int count);
    void clear();
    bool has_values() const;

private:
    std::string m_name;
    SQLite::Database& m_database;
};

} // namespace orv::sqlite
