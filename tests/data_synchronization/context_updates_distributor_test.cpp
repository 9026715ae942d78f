#include "data_synchronization/context_updates_distributor.h"
#include "mocks/context_updates_subscriber_mock.h"
#include "support/context_fixture.h"
#include "utils/logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace orv::test {
namespace {

using ::testing::InSequence;
using ::testing::Ref;
using ::testing::StrictMock;
using ::testing::Throw;
using distributor = data_synchronization::context_updates_distributor;
using subscriber_mock = StrictMock<context_updates_subscriber_mock>;

class context_updates_distributor_test : public context_fixture {
protected:
    void SetUp() override {
        context_fixture::SetUp();
        // Record views only; the distributor hands them on without reading them.
        m_anchor = std::make_unique<context::anchor>("a1", redis_context(), context());
        m_trackable = std::make_unique<context::trackable>("t1", redis_context(), context());
        m_node = std::make_unique<context::node>("00:11", redis_context(), context());
        m_location = std::make_unique<context::location>("l1", redis_context(), context());
        m_sublocation = std::make_unique<context::sublocation>("s1", redis_context(), context());
        m_tdoa_settings = std::make_unique<context::tdoa_settings>("p1", redis_context(), context());
        m_tdoa_schedule = std::make_unique<context::tdoa_schedule>("sc1", redis_context(), context());
        m_network_settings = std::make_unique<context::network_settings>("p1", redis_context(), context());
        m_module = std::make_unique<context::module>("m1", redis_context(), context());
    }
    void TearDown() override {
        m_anchor.reset();
        m_trackable.reset();
        m_node.reset();
        m_location.reset();
        m_sublocation.reset();
        m_tdoa_settings.reset();
        m_tdoa_schedule.reset();
        m_network_settings.reset();
        m_module.reset();
        context_fixture::TearDown();
    }

    struct notification {
        const char* name;
        // Sets the expectation of exactly this callback with exactly these arguments.
        std::function<void(subscriber_mock&)> expect;
        std::function<void(distributor&)> notify;
    };

    std::vector<notification> notifications() {
        const auto& t = m_stamp;
        auto& a = *m_anchor;
        auto& tr = *m_trackable;
        auto& n = *m_node;
        auto& l = *m_location;
        auto& s = *m_sublocation;
        auto& ts = *m_tdoa_settings;
        auto& sc = *m_tdoa_schedule;
        auto& ns = *m_network_settings;
        auto& m = *m_module;
        return {
            {"anchor_update_after", [&](subscriber_mock& x) { EXPECT_CALL(x, on_anchor_update_after(Ref(a), t)); },
             [&](distributor& d) { d.notify_anchor_update_after(a, t); }},
            {"anchor_delete_before", [&](subscriber_mock& x) { EXPECT_CALL(x, on_anchor_delete_before(Ref(a), t)); },
             [&](distributor& d) { d.notify_anchor_delete_before(a, t); }},
            {"trackable_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_trackable_update_after(Ref(tr), t)); },
             [&](distributor& d) { d.notify_trackable_update_after(tr, t); }},
            {"trackable_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_trackable_delete_before(Ref(tr), t)); },
             [&](distributor& d) { d.notify_trackable_delete_before(tr, t); }},
            {"node_announce", [&](subscriber_mock& x) { EXPECT_CALL(x, on_node_announce(Ref(a), t)); },
             [&](distributor& d) { d.notify_node_announce(a, t); }},
            {"heartbeat synchronised", [&](subscriber_mock& x) { EXPECT_CALL(x, on_heartbeat(Ref(a), true, t)); },
             [&](distributor& d) { d.notify_heartbeat(a, true, t); }},
            {"heartbeat not synchronised",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_heartbeat(Ref(a), false, t)); },
             [&](distributor& d) { d.notify_heartbeat(a, false, t); }},
            {"bat_parameter_received",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_bat_parameter_received(Ref(n), t)); },
             [&](distributor& d) { d.notify_bat_parameter_received(n, t); }},
            {"node_delete_before", [&](subscriber_mock& x) { EXPECT_CALL(x, on_node_delete_before(Ref(n), t)); },
             [&](distributor& d) { d.notify_node_delete_before(n, t); }},
            {"location_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_location_update_after(Ref(l), t)); },
             [&](distributor& d) { d.notify_location_update_after(l, t); }},
            {"location_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_location_delete_before(Ref(l), t)); },
             [&](distributor& d) { d.notify_location_delete_before(l, t); }},
            {"location_delete_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_location_delete_after("l1", t)); },
             [&](distributor& d) { d.notify_location_delete_after("l1", t); }},
            {"sublocation_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_sublocation_update_after(Ref(s), t)); },
             [&](distributor& d) { d.notify_sublocation_update_after(s, t); }},
            {"sublocation_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_sublocation_delete_before(Ref(s), t)); },
             [&](distributor& d) { d.notify_sublocation_delete_before(s, t); }},
            {"sublocation_delete_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_sublocation_delete_after("s1", t)); },
             [&](distributor& d) { d.notify_sublocation_delete_after("s1", t); }},
            {"tdoa_settings_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_tdoa_settings_update_after(Ref(ts), t)); },
             [&](distributor& d) { d.notify_tdoa_settings_update_after(ts, t); }},
            {"tdoa_settings_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_tdoa_settings_delete_before(Ref(ts), t)); },
             [&](distributor& d) { d.notify_tdoa_settings_delete_before(ts, t); }},
            {"tdoa_schedule_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_tdoa_schedule_update_after(Ref(sc), t)); },
             [&](distributor& d) { d.notify_tdoa_schedule_update_after(sc, t); }},
            {"tdoa_schedule_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_tdoa_schedule_delete_before(Ref(sc), t)); },
             [&](distributor& d) { d.notify_tdoa_schedule_delete_before(sc, t); }},
            {"network_settings_update_after",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_network_settings_update_after(Ref(ns), t)); },
             [&](distributor& d) { d.notify_network_settings_update_after(ns, t); }},
            {"network_settings_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_network_settings_delete_before(Ref(ns), t)); },
             [&](distributor& d) { d.notify_network_settings_delete_before(ns, t); }},
            {"module_update_after", [&](subscriber_mock& x) { EXPECT_CALL(x, on_module_update_after(Ref(m), t)); },
             [&](distributor& d) { d.notify_module_update_after(m, t); }},
            {"module_delete_before",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_module_delete_before(Ref(m), t)); },
             [&](distributor& d) { d.notify_module_delete_before(m, t); }},
            {"modules_info_updated", [&](subscriber_mock& x) { EXPECT_CALL(x, on_modules_info_updated(t)); },
             [&](distributor& d) { d.notify_modules_info_updated(t); }},
            {"system_resources_updated",
             [&](subscriber_mock& x) { EXPECT_CALL(x, on_system_resources_updated(t)); },
             [&](distributor& d) { d.notify_system_resources_updated(t); }},
        };
    }

    utils::logger m_logger{utils::logger::verbose{false}, utils::logger::log_stacktrace{false},
                           utils::logger::log_exceptions{true}};
    const utils::timestamp m_stamp = utils::timestamp::from_milliseconds(1614834367891);
    std::unique_ptr<context::anchor> m_anchor;
    std::unique_ptr<context::trackable> m_trackable;
    std::unique_ptr<context::node> m_node;
    std::unique_ptr<context::location> m_location;
    std::unique_ptr<context::sublocation> m_sublocation;
    std::unique_ptr<context::tdoa_settings> m_tdoa_settings;
    std::unique_ptr<context::tdoa_schedule> m_tdoa_schedule;
    std::unique_ptr<context::network_settings> m_network_settings;
    std::unique_ptr<context::module> m_module;
};

// Each notification reaches only its own callback, with its arguments, in
// every subscriber, in registration order; a subscriber registered twice
// hears it twice.
TEST_F(context_updates_distributor_test, every_notification_reaches_its_callback_in_registration_order) {
    for (const auto& n : notifications()) {
        SCOPED_TRACE(n.name);
        subscriber_mock first;
        subscriber_mock second;
        distributor d(m_logger);
        d.add_subscriber(first);
        d.add_subscriber(second);
        d.add_subscriber(first);
        {
            InSequence order;
            n.expect(first);
            n.expect(second);
            n.expect(first);
        }
        n.notify(d);
        ::testing::Mock::VerifyAndClearExpectations(&first);
        ::testing::Mock::VerifyAndClearExpectations(&second);
    }
}

TEST_F(context_updates_distributor_test, a_throwing_subscriber_stops_the_later_ones) {
    subscriber_mock first;
    subscriber_mock failing;
    subscriber_mock never_called; // strict: any call fails the test
    distributor d(m_logger);
    d.add_subscriber(first);
    d.add_subscriber(failing);
    d.add_subscriber(never_called);

    {
        InSequence order;
        EXPECT_CALL(first, on_anchor_update_after(Ref(*m_anchor), m_stamp));
        EXPECT_CALL(failing, on_anchor_update_after(Ref(*m_anchor), m_stamp))
            .WillOnce(Throw(std::runtime_error("rule failed")));
    }
    EXPECT_THROW(
        try { d.notify_anchor_update_after(*m_anchor, m_stamp); } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "rule failed");
            throw;
        },
        std::runtime_error);

    // The next change is announced to everyone again.
    EXPECT_CALL(first, on_modules_info_updated(m_stamp));
    EXPECT_CALL(failing, on_modules_info_updated(m_stamp));
    EXPECT_CALL(never_called, on_modules_info_updated(m_stamp));
    d.notify_modules_info_updated(m_stamp);
}

} // namespace
} // namespace orv::test
