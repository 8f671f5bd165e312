// toolbox/files/temp_dir_testing.h - a private temporary directory per test, and streams of
// known bytes (test helper, C++).
#ifndef TOOLBOX_FILES_TEMP_DIR_TESTING_H
#define TOOLBOX_FILES_TEMP_DIR_TESTING_H

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace toolbox::testing {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/toolbox_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::string P(const std::string &name) const { return dir_ + "/" + name; }
    void Write(const std::string &name, const std::string &bytes) const {
        std::ofstream(P(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string &name) const {
        std::ifstream in(P(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string &name) const { return std::filesystem::exists(P(name)); }
    // A read-write stream holding exactly `bytes`, positioned at its start.
    FILE *Stream(const std::string &bytes) const {
        FILE *f = tmpfile();
        if (f != nullptr) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            rewind(f);
        }
        return f;
    }
    std::string dir_;
};

}  // namespace toolbox::testing

#endif
