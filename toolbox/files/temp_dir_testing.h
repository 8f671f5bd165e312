// toolbox/files/temp_dir_testing.h - a private temporary directory per test, and streams of
// known bytes (test helper, C++).
#ifndef TOOLBOX_FILES_TEMP_DIR_TESTING_H
#define TOOLBOX_FILES_TEMP_DIR_TESTING_H

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace toolbox::testing {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/toolbox_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string P(const std::string &name) const { return dir_ + "/" + name; }
    void Write(const std::string &name, const std::string &bytes) const { std::ofstream(P(name)) << bytes; }
    std::string Read(const std::string &name) const {
        std::ifstream in(P(name));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string &name) const { return std::filesystem::exists(P(name)); }
    // A read-write stream holding exactly `bytes`, positioned at its start.
    static FILE *Stream(const std::string &bytes) {
        FILE *f = tmpfile();
        fwrite(bytes.data(), 1, bytes.size(), f);
        rewind(f);
        return f;
    }
    std::string dir_;
};

}  // namespace toolbox::testing

#endif
