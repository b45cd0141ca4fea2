// The Windows test process starts from no stored settings and leaves none,
// in the registry of the Wine prefix the tests run in.
#include "support/registry_util.h"

#include <gtest/gtest.h>

namespace {

class CleanRegistry : public ::testing::Environment {
 public:
  void SetUp() override { korvex::test::DeleteStoredSettings(); }
  void TearDown() override { korvex::test::DeleteStoredSettings(); }
};

[[maybe_unused]] ::testing::Environment* const kRegistry =
    ::testing::AddGlobalTestEnvironment(new CleanRegistry);

}  // namespace
