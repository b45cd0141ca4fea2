// The shared library exports exactly the documented names, and a program
// can load it by path alone.
#include "api/export_table.h"

#include "KorvexSdk_740K3_XLN.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<std::string> DocumentedNames() {
  std::set<std::string> names;
  for (int i = 0; i < kKorvexExportCount; ++i) names.insert(kKorvexExportTable[i].name);
  return names;
}

TEST(ExportTable, DocumentsAllNamesOnce) {
  EXPECT_EQ(kKorvexExportCount, 124);
  EXPECT_EQ(DocumentedNames().size(), 124u);
  for (int i = 0; i < kKorvexExportCount; ++i) EXPECT_NE(kKorvexExportTable[i].address, nullptr);
}

TEST(ExportTable, SharedLibraryExportsExactlyTheDocumentedNames) {
  const std::string command = std::string("nm -D --defined-only '") + KORVEX_SDK_SO_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[400];
    if (sscanf(line, "%63s %7s %399s", address, type, name) == 3) {
      std::string symbol = name;
      if (auto at = symbol.find('@'); at != std::string::npos) symbol.resize(at);
      exported.insert(symbol);
    }
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(exported, DocumentedNames());
}

TEST(ExportTable, LoadsByPathAndAnswersTheVersion) {
  void* library = dlopen(KORVEX_SDK_SO_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using VersionFn = uint32_t (*)();
  auto version = reinterpret_cast<VersionFn>(dlsym(library, "Korvex_GetDllVersion"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version(), 27788575u);
  dlclose(library);
}

}  // namespace
