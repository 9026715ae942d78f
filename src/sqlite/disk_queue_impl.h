#pragma once

#include "sqlite/disk_queue.h"
#include "sqlite/queue.h"
#include "sqlite/queues_database.h"

namespace orv::context {

// disk_queue over a table of the queue database.
class disk_queue_impl : public disk_queue, public orv::sqlite::queue {
public:
    disk_queue_impl(std::string name, SQLite::Database& database);

    const std::string& get_name() const override;
    void add(const std::string& value) override;
    std::string front() const override;
    std::string pop() override;
    std::vector<std::string> get_first_values(int count) const override;
    void delete_first_values(int count) override;
    void clear() override;
    bool has_values() const override;
};

// Locks the queue database, builds the queue `name` (creating its table if
// needed), unlocks, and returns it carrying the database's mutex.
synchronized_disk_queue make_synchronized_disk_queue(const std::string& name,
                                                     orv::sqlite::synchronized_database& database);

} // namespace orv::context
