#pragma once

#include "utils/synchronized_value.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orv::context {

// A persistent FIFO of texts. Used only through synchronized_disk_queue, whose
// guard holds the queue database mutex.
class disk_queue {
public:
    virtual ~disk_queue() = default;
    virtual const std::string& get_name() const = 0;
    virtual void add(const std::string& value) = 0;
    virtual std::string front() const = 0;
    virtual std::string pop() = 0;
    virtual std::vector<std::string> get_first_values(int count) const = 0;
    virtual void delete_first_values(int count) = 0;
    virtual void clear() = 0;
    virtual bool has_values() const = 0;
};

// The owned queue together with the queue database mutex: `queue->add(v)` and
// `queue.lock()` hold the mutex for as long as the returned guard lives.
using synchronized_disk_queue = orv::utils::synchronized_value<std::unique_ptr<disk_queue>, std::shared_ptr<std::mutex>>;

} // namespace orv::context
