#pragma once

#include <string>

namespace orv::test {

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on destruction.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Writes a file in the directory and returns its path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string m_path;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int free_port();

} // namespace orv::test
