#include "environment/file_impl.h"
#include "environment/filesystem_impl.h"

#include "mocks/environment_mocks.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace orv::environment;

namespace {

// The substitutes must override every operation of their interfaces.
static_assert(!std::is_abstract_v<orv::test::file_mock>);
static_assert(!std::is_abstract_v<orv::test::filesystem_mock>);
static_assert(!std::is_abstract_v<orv::test::system_mock>);

std::vector<std::string> read_all(file& f) {
    std::vector<std::string> result;
    while (const auto line = f.read_line()) {
        result.push_back(*line);
    }
    // Once the data is exhausted it stays exhausted.
    EXPECT_FALSE(f.read_line());
    return result;
}

TEST(file_impl, reads_lines_including_a_last_line_without_line_end) {
    orv::test::temp_dir dir;
    const std::string long_line(2500, 'q');
    const struct {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"x", {"x"}},
        {"x\n", {"x"}},
        {"a\nb\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"cpu  1 2 3\r\n", {"cpu  1 2 3\r"}},
        {long_line + "\n" + long_line, {long_line, long_line}},
    };
    int i = 0;
    for (const auto& c : cases) {
        const auto path = dir.write("case" + std::to_string(i++), c.content);
        file_impl f(path, filesystem::read);
        EXPECT_EQ(read_all(f), c.lines) << path;
    }
}

TEST(file_impl, missing_file_throws_cannot_open) {
    orv::test::temp_dir dir;
    const auto path = dir.file("missing/uid");
    try {
        file_impl f(path, filesystem::read);
        FAIL() << "opened " << path;
    } catch (const orv::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file: " + path);
        EXPECT_NE(e.get_file().find("file_impl.cpp"), std::string::npos);
    }
}

TEST(file_impl, any_other_mode_opens_for_writing) {
    orv::test::temp_dir dir;
    const auto path = dir.write("out", "old content\n");
    {
        file_impl f(path, static_cast<filesystem::open_mode>(1));
        EXPECT_FALSE(f.read_line());
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0) << "opening for output truncates";
}

TEST(filesystem_impl, opens_files_for_reading) {
    orv::test::temp_dir dir;
    filesystem_impl fs;
    const auto f = fs.open_file(dir.write("uid", "abc123\nsecond\n"), filesystem::read);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(read_all(*f), (std::vector<std::string>{"abc123", "second"}));
    EXPECT_THROW(fs.open_file(dir.file("nope"), filesystem::read), orv::exception);
}

} // namespace
