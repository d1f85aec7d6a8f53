// Files of the tests: a fresh scratch directory per call (tests may run in parallel) and a
// whole file read back.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace mirokel::test {

inline std::filesystem::path scratchDirectory(const std::string& prefix)
{
    static std::atomic<int> counter{0};
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) /
                                      (prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace mirokel::test
