#pragma once

#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace orv::utils {

namespace detail {
template <typename T, typename = void>
struct has_arrow : std::false_type {};
template <typename T>
struct has_arrow<T, std::void_t<decltype(std::declval<T&>().operator->())>> : std::true_type {};
} // namespace detail

// A value reachable only while its mutex is held. Several values may share one
// mutex (the queue database and every disk queue on it do).
template <typename T, typename MutexPtr = std::shared_ptr<std::mutex>>
class synchronized_value {
public:
    class guard {
    public:
        guard(std::mutex& mutex, T& value) : m_lock(mutex), m_value(value) {}
        // For a pointer-like value (the owning pointer of a disk queue) `->` reaches
        // the pointee, so that `queue->add(...)` works through the guard.
        decltype(auto) operator->() {
            if constexpr (detail::has_arrow<T>::value) {
                return (m_value);
            } else {
                return &m_value;
            }
        }
        T& operator*() { return m_value; }

    private:
        std::unique_lock<std::mutex> m_lock;
        T& m_value;
    };

    explicit synchronized_value(T value)
        : m_value(std::move(value)), m_mutex_ptr(std::make_shared<std::mutex>()) {}
    synchronized_value(T value, MutexPtr mutex_ptr)
        : m_value(std::move(value)), m_mutex_ptr(std::move(mutex_ptr)) {}

    guard lock() { return guard(*m_mutex_ptr, m_value); }
    guard operator->() { return lock(); }
    const MutexPtr& get_mutex_ptr() const { return m_mutex_ptr; }

private:
    T m_value;
    MutexPtr m_mutex_ptr;
};

} // namespace orv::utils
