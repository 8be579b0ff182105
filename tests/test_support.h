#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// True when `unzip -t` finds the archive sound.
inline bool unzipTestPasses(const fs::path& p)
{
    return std::system(("unzip -tqq '" + p.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

// A folder of its own for each test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "quarvello_test_XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Names of the entries in the folder (temporary files of a failed save would show here).
    std::map<std::string, std::uintmax_t> listing() const
    {
        std::map<std::string, std::uintmax_t> out;
        for (const auto& e : fs::directory_iterator(dir_))
            out[e.path().filename().string()] = e.is_regular_file() ? e.file_size() : 0;
        return out;
    }

    fs::path dir_;
};

} // namespace testsupport
