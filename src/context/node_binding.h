#pragma once

#include "context/accessor.h"
#include "context/node.h"
#include "context/objects_repository.h"
#include "redis/wrappers/string_wrapper.h"

#include <string>

namespace orv::context::detail {

// Binds a record that names a node by MAC (an anchor or a trackable) to the node
// `new_mac`, on both sides, and releases the node it named before.
// - A MAC of no registered node binds nothing and is stored as empty.
// - A node serves one record of the kind: the record that held it gives it up
//   (its MAC is cleared), so that it cannot release the node later.
// - The old node is released only while it still names this record.
// `Record::*mac_member` is the MAC field of the kind; `get_holder`/`set_holder`
// the node's link back to the kind.
template <typename Record, typename Repository>
void bind_to_node(accessor& context, Repository& holders, const std::string& uid, std::string new_mac,
                  redis::string_wrapper& own_mac, redis::string_wrapper Record::*mac_member,
                  std::string (node::*get_holder)() const,
                  void (node::*set_holder)(const std::string&)) {
    if (!new_mac.empty()) {
        auto& nodes = context.get_nodes();
        if (!nodes.is_exists(new_mac)) {
            new_mac.clear();
        } else {
            auto bound = nodes.get(new_mac);
            const std::string holder = (bound.*get_holder)();
            // Checks that this record is registered before anything is written.
            (bound.*set_holder)(uid);
            if (!holder.empty() && holder != uid) {
                if (auto other = holders.try_get(holder)) {
                    auto& other_mac = (*other).*mac_member;
                    if (other_mac.get() == new_mac) {
                        other_mac.set("");
                    }
                }
            }
        }
    }

    const std::string stored = own_mac.get();
    if (stored == new_mac) {
        return;
    }
    if (!stored.empty()) {
        auto old = context.get_nodes().get(stored);
        // The old node may meanwhile serve another record; that link stays.
        if ((old.*get_holder)() == uid) {
            (old.*set_holder)("");
        }
    }
    own_mac.set(new_mac);
}

} // namespace orv::context::detail
