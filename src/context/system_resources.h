#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/string_wrapper.h"

#include <memory>

namespace orv::context {

// Singleton record of the host's CPU, memory and disk usage. Values are stored
// with six decimals; reading a value before its first write throws
// std::invalid_argument.
class system_resources {
public:
    struct keys {
        static redis::key data();  // "system_resources:data"
    };

    explicit system_resources(redis::context& redis_context);

    double get_cpu_usage() const;
    void set_cpu_usage(double value);
    double get_ram_usage() const;
    void set_ram_usage(double value);
    double get_disk_usage() const;
    void set_disk_usage(double value);

    void remove();

private:
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_cpu_usage;
    redis::string_wrapper m_ram_usage;
    redis::string_wrapper m_disk_usage;
};

} // namespace orv::context
