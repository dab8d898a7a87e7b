// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and writes and a private temporary folder for the file-handling tests.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvane {

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary);
  out << s;
}

class TempDir : public ::testing::Test {
protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  int FileCount() const {
    return static_cast<int>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
  }
  std::filesystem::path dir;
};

}  // namespace orvane
