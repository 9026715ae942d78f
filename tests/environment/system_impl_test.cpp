#include "environment/cfile_impl.h"
#include "environment/system_impl.h"

#include "support/temp_dir.h"
#include "utils/exceptions.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orv::environment;

namespace {

std::vector<std::string> output_of(const std::string& command) {
    system_impl sys;
    auto f = sys.popen(command);
    EXPECT_TRUE(f) << command;
    std::vector<std::string> result;
    if (!f) {
        return result;
    }
    while (const auto line = (*f)->read_line()) {
        result.push_back(*line);
    }
    EXPECT_FALSE((*f)->read_line());
    return result;
}

std::string digits(std::size_t length) { return std::string(length - 1, '0') + "7"; }

TEST(system_impl, command_output_lines_of_any_length) {
    const struct {
        std::string command;
        std::vector<std::string> lines;
    } cases[] = {
        {"printf 'a\\nb\\n'", {"a", "b"}},
        {"printf '\\n\\nz\\n'", {"", "", "z"}},
        // A last line without a line end is dropped.
        {"printf x", {}},
        {"printf 'a\\nx'", {"a"}},
        {"true", {}},
        // 998 + line end fills one read exactly; longer lines take several.
        {"printf '%0998d\\n' 7", {digits(998)}},
        {"printf '%0999d\\n' 7", {digits(999)}},
        {"printf '%01000d\\n' 7", {digits(1000)}},
        {"printf '%02500d\\nend\\n' 7", {digits(2500), "end"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(output_of(c.command), c.lines) << c.command;
    }
}

TEST(system_impl, commands_run_through_the_shell) {
    EXPECT_EQ(output_of("x=4; echo $((x * 2)) | tr 8 V; echo ${HOME:+home} >/dev/null"),
              (std::vector<std::string>{"V"}));
    // A missing program still starts the shell: its output is simply empty.
    EXPECT_EQ(output_of("/nonexistent/program 2>/dev/null"), std::vector<std::string>{});
}

TEST(system_impl, releasing_the_output_waits_for_the_command) {
    orv::test::temp_dir dir;
    const auto marker = dir.file("done");
    system_impl sys;
    {
        auto f = sys.popen("echo started; sleep 0.2; touch '" + marker + "'");
        ASSERT_TRUE(f);
        const auto line = (*f)->read_line();
        ASSERT_TRUE(line);
        EXPECT_EQ(*line, "started");
    }
    EXPECT_EQ(::access(marker.c_str(), F_OK), 0) << "pclose returned before the command ended";
}

TEST(system_impl, popen_without_a_stream_gives_no_value) {
    // With every descriptor slot taken, popen cannot create its pipe.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    const int lowest_free = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lowest_free, 0);
    ::close(lowest_free);
    rlimit tight = previous;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);

    system_impl sys;
    const bool opened = static_cast<bool>(sys.popen("echo never"));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &previous), 0);
    EXPECT_FALSE(opened);
}

TEST(system_impl, statfs_reports_the_file_system) {
    orv::test::temp_dir dir;
    system_impl sys;
    const auto got = sys.statfs(dir.path());
    struct statfs expected {};
    ASSERT_EQ(::statfs(dir.path().c_str(), &expected), 0);
    EXPECT_EQ(got.f_type, expected.f_type);
    EXPECT_EQ(got.f_bsize, expected.f_bsize);
    EXPECT_EQ(got.f_blocks, expected.f_blocks);
    EXPECT_GT(got.f_blocks, 0u);
}

TEST(system_impl, statfs_failure_fails_the_check) {
    orv::test::temp_dir dir;
    system_impl sys;
    try {
        sys.statfs(dir.file("missing"));
        FAIL() << "statfs of a missing path";
    } catch (const orv::check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), "! return_code");
        EXPECT_NE(e.get_function().find("orv::environment::system_impl::statfs("), std::string::npos)
            << e.get_function();
        EXPECT_NE(e.get_file().find("system_impl.cpp"), std::string::npos);
    }
}

} // namespace
