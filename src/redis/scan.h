#pragma once

#include "redis/context_impl.h"
#include "redis/reply.h"

#include <string>

namespace orv::redis::detail {

// Follows the cursor of "HSCAN %s %d" / "SSCAN %s %d" from 0 until it returns
// to 0, calling on_element with each string of every batch in order. Returns
// false as soon as on_element does.
template <typename OnElement>
bool scan(const context_impl& context, const std::string& format, const std::string& key,
          OnElement on_element) {
    int cursor = 0;
    do {
        const reply batch = context.execute_command(format, key.c_str(), cursor);
        const reply_array parts = batch.as_array();
        cursor = std::stoi(parts[0].to_string());
        const bool completed = parts[1].as_array().for_each_element(
            [&](const reply_element& element) { return on_element(element.to_string()); });
        if (!completed) {
            return false;
        }
    } while (cursor != 0);
    return true;
}

} // namespace orv::redis::detail
