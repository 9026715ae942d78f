#pragma once

#include <memory>
#include <utility>

namespace orv::utils {
namespace detail {

class scope_guard {
public:
    virtual ~scope_guard() = default;
};

template <typename F>
class scope_guard_impl : public scope_guard {
public:
    explicit scope_guard_impl(F callback) : m_callback(std::move(callback)) {}
    ~scope_guard_impl() override {
        if (m_should_execute) {
            m_callback();
        }
    }
    scope_guard_impl(const scope_guard_impl&) = delete;
    scope_guard_impl& operator=(const scope_guard_impl&) = delete;

    void dismiss() noexcept { m_should_execute = false; }

private:
    bool m_should_execute = true;
    F m_callback;
};

} // namespace detail

using scope_guard_ptr = std::unique_ptr<detail::scope_guard>;

template <typename F>
scope_guard_ptr make_scope_guard(F callback) {
    return std::make_unique<detail::scope_guard_impl<F>>(std::move(callback));
}

} // namespace orv::utils
