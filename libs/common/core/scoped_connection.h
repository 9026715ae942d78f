#pragma once

#include <boost/signals2/connection.hpp>

namespace orv::libs::core {

// A signal connection that disconnects when destroyed; not copyable.
class scoped_connection {
public:
    scoped_connection() = default;
    explicit scoped_connection(boost::signals2::connection connection)
        : m_connection(std::move(connection)) {}
    scoped_connection(scoped_connection&&) noexcept = default;
    scoped_connection& operator=(scoped_connection&&) noexcept = default;
    scoped_connection(const scoped_connection&) = delete;
    scoped_connection& operator=(const scoped_connection&) = delete;

    bool connected() const { return m_connection.connected(); }
    void disconnect() { m_connection.disconnect(); }

private:
    boost::signals2::scoped_connection m_connection;
};

} // namespace orv::libs::core
