// A fresh registry folder per test, removed afterwards.
#pragma once

#include "korvex/host_registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace korvex::test {

class TempRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/korvex-reg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    KorvexHost_RegSetRoot(folder_.c_str());
  }
  void TearDown() override {
    KorvexHost_RegSetRoot(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string HiveText() const {
    std::ifstream in(folder_ + "/HKEY_CURRENT_USER.reg");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string folder_;
};

}  // namespace korvex::test
