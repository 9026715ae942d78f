#include "sqlite/disk_queue_impl.h"

namespace orv::context {

disk_queue_impl::disk_queue_impl(std::string name, SQLite::Database& database)
    : orv::sqlite::queue(std::move(name), database) {}

const std::string& disk_queue_impl::get_name() const { return orv::sqlite::queue::get_name(); }
void disk_queue_impl::add(const std::string& value) { orv::sqlite::queue::add(value); }
std::string disk_queue_impl::front() const { return orv::sqlite::queue::front(); }
std::string disk_queue_impl::pop() { return orv::sqlite::queue::pop(); }
std::vector<std::string> disk_queue_impl::get_first_values(int count) const {
    return orv::sqlite::queue::get_first_values(count);
}
void disk_queue_impl::delete_first_values(int count) { orv::sqlite::queue::delete_first_values(count); }
void disk_queue_impl::clear() { orv::sqlite::queue::clear(); }
bool disk_queue_impl::has_values() const { return orv::sqlite::queue::has_values(); }

synchronized_disk_queue make_synchronized_disk_queue(const std::string& name,
                                                     orv::sqlite::synchronized_database& database) {
    std::unique_ptr<disk_queue> queue;
    {
        auto guard = database.lock();
        queue = std::make_unique<disk_queue_impl>(name, *guard);
    }
    return synchronized_disk_queue(std::move(queue), database.get_mutex_ptr());
}

} // namespace orv::context
