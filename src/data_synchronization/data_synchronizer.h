#pragma once

namespace orv::data_synchronization {

class context_updates_subscriber;

// Fills the site context and keeps it current; watchers of the context
// register through it.
class data_synchronizer {
public:
    virtual ~data_synchronizer() = default;
    // Appends a watcher; it is called after those registered before it.
    virtual void add_subscriber(context_updates_subscriber& subscriber) = 0;
    // Loads the whole context from the local server.
    virtual void initialize_context() = 0;
};

} // namespace orv::data_synchronization
