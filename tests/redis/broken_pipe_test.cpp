// A connection that Redis has closed must not end the process with SIGPIPE
// when a command is written to it.
#include "redis/context_impl.h"

#include "redis_test_fixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <string>

namespace orv::redis::test {
namespace {

// Minimal stand-in for Redis on loopback: answers SELECT on every connection;
// closes the first connection right after that, and on the second one reads
// one command of a known size and answers it with +OK.
class closing_server {
public:
    closing_server() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(m_listener, 4) != 0) {
            throw std::runtime_error("cannot listen on loopback");
        }
        socklen_t length = sizeof(address);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~closing_server() { ::close(m_listener); }

    int port() const { return m_port; }

    // Runs the two connections; returns the bytes of the command read on the second.
    std::string serve(std::size_t command_size) {
        const int first = accept_and_select();
        ::close(first);
        const int second = accept_and_select();
        std::string command = read_bytes(second, command_size);
        send_text(second, "+OK\r\n");
        ::close(second);
        return command;
    }

private:
    static constexpr const char* s_select = "*2\r\n$6\r\nSELECT\r\n$1\r\n0\r\n";

    int accept_and_select() {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (read_bytes(connection, std::string(s_select).size()) != s_select) {
            throw std::runtime_error("expected SELECT 0");
        }
        send_text(connection, "+OK\r\n");
        return connection;
    }
    static std::string read_bytes(int connection, std::size_t size) {
        std::string data;
        char buffer[65536];
        while (data.size() < size) {
            const auto n = ::read(connection, buffer, std::min(sizeof(buffer), size - data.size()));
            if (n <= 0) {
                break;
            }
            data.append(buffer, static_cast<std::size_t>(n));
        }
        return data;
    }
    static void send_text(int connection, const std::string& text) {
        if (::write(connection, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            throw std::runtime_error("short write");
        }
    }

    int m_listener = -1;
    int m_port = 0;
};

TEST(redis_context_broken_pipe, a_large_command_on_a_closed_connection_is_sent_again) {
    closing_server server;
    // Larger than the socket buffers, so that the write meets the reset midway.
    const std::string value(8 * 1024 * 1024, 'v');
    const std::string command = "*3\r\n$3\r\nSET\r\n$1\r\nk\r\n$" + std::to_string(value.size()) + "\r\n" +
                                value + "\r\n";
    auto served = std::async(std::launch::async, [&] { return server.serve(command.size()); });

    std::atomic<bool> stop{false};
    context_impl connection("127.0.0.1", server.port(), 0, "", stop);
    const auto answer = connection.execute_command_argv({"SET", "k", value.c_str()}).to_string();

    EXPECT_EQ(answer, "OK");
    EXPECT_TRUE(served.get() == command);
}

} // namespace
} // namespace orv::redis::test
