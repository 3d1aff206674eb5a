// A fixture that gives each test an empty folder of its own under the
// system's temporary folder, removed again after the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "lxText.h"

namespace lx::test {

class TTempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("lx_" + std::string(info->test_suite_name()) + "_" + std::string(info->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  // A file of the folder, as the engine takes file names.
  std::u16string Path(const char* name) const { return Utf8ToUtf16((dir_ / name).string()); }
  // The bytes of a file of the folder (empty when it does not exist).
  std::string Read(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::filesystem::path dir_;
};

}  // namespace lx::test
