#pragma once

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace orv::test {

// libcurl's global state, set up once for the test binary that includes this header
// (as main() does for the agent).
class curl_environment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};

// An inline variable: registered once per binary however many test files include it.
inline ::testing::Environment* const g_curl_environment =
    ::testing::AddGlobalTestEnvironment(new curl_environment);

} // namespace orv::test
