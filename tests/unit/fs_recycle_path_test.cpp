#include <gtest/gtest.h>

#include <string>

#include "fs/recycle_path.h"

namespace {

using namespace hostkit::fs;
using namespace std::string_literals;

TEST(RecyclePath, EmptyPathsAndWildcardsAreRefusedBeforeAnyCall) {
  const struct {
    const char* path;
    int refusal;
  } cases[] = {
      {"", kRecycleEmptyPath},
      {"C:\\saves\\*.sav", kRecycleWildcard},
      {"C:\\saves\\slot?.sav", kRecycleWildcard},
      {"*", kRecycleWildcard},
      {"\\\\?\\C:\\saves\\a.sav", kRecycleWildcard},  // the long-path prefix: the shell's call does not take it
      {"C:\\saves\\a.sav", 0},
      {"a.sav", 0},
      {".", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RecycleRefusal(c.path), c.refusal) << c.path;
}

TEST(RecyclePath, TheListIsTheFullPathWithoutEndSeparatorsAndTwoTerminators) {
  const struct {
    const char* full;
    std::string list;
  } cases[] = {
      {"C:\\saves\\a.sav", "C:\\saves\\a.sav\0\0"s},
      {"C:\\saves\\", "C:\\saves\0\0"s},
      {"C:\\saves\\\\/", "C:\\saves\0\0"s},
      {"C:\\a", "C:\\a\0\0"s},
      {"\\\\server\\share\\saves", "\\\\server\\share\\saves\0\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(RecycleList(c.full), c.list) << c.full;
}

TEST(RecyclePath, RootsWhoseWholeContentWouldGoAreRefused) {
  for (const char* root : {"C:\\", "C:", "c:/", "\\\\server\\share\\", "\\\\server\\share", "\\\\server", "\\", ""})
    EXPECT_EQ(RecycleList(root), std::nullopt) << root;
}

}  // namespace
