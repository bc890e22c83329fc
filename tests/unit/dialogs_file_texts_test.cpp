#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialogs/file_texts.h"

namespace {

using namespace std::string_literals;
using hostkit::dialogs::JoinSelection;
using hostkit::dialogs::MakeFilterList;

std::string ListOf(const std::string& filter) {
  const std::vector<char> list = MakeFilterList(filter);
  return std::string(list.begin(), list.end());
}

TEST(DialogsFilterList, BarsBecomeNulsAndTheListEndsInTwoNuls) {
  const struct {
    std::string filter;
    std::string list;
  } cases[] = {
      {"Images|*.png;*.jpg|All|*.*", "Images\0*.png;*.jpg\0All\0*.*\0\0"s},
      {"Images|*.png;*.jpg|All|*.*|", "Images\0*.png;*.jpg\0All\0*.*\0\0\0"s},
      {"", "\0\0"s},
      {"Text|*.txt|Data|*.dat|All|*.*", "Text\0*.txt\0Data\0*.dat\0All\0*.*\0\0"s},
      {"||", "\0\0\0\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(ListOf(c.filter), c.list) << c.filter;
}

TEST(DialogsFilterList, LeavesTheCallersTextAlone) {
  const std::string filter = "A|*.a|";
  MakeFilterList(filter);
  EXPECT_EQ(filter, "A|*.a|");
}

TEST(DialogsSelection, JoinsAMultipleSelectionWithBarsAndKeepsAPlainPath) {
  const struct {
    std::string buffer;
    std::string text;
  } cases[] = {
      {"C:\\Data\\a.txt\0\0\0\0"s, "C:\\Data\\a.txt"},
      {"C:\\Data\0a.txt\0b.txt\0\0\0"s, "C:\\Data|a.txt|b.txt"},
      {"D:\\Music\0a.mp3\0b.mp3\0c.mp3\0\0"s, "D:\\Music|a.mp3|b.mp3|c.mp3"},
      {"\0\0\0"s, ""},
      {"C:\\x\0\0stale\0tail\0\0"s, "C:\\x"},  // what follows the first NUL NUL is never read
      {"C:\\end\0"s, "C:\\end"},               // a final NUL at the last byte ends the scan
      {"abc"s, "abc"},                         // no terminator at all: bounded by the size
  };
  for (const auto& c : cases) EXPECT_EQ(JoinSelection(c.buffer.data(), c.buffer.size()), c.text);
  EXPECT_EQ(JoinSelection(nullptr, 10), "");
}

TEST(DialogsFilterList, PairsEndWhereTheHookDialogsListEnds) {
  using hostkit::dialogs::FilterPair;
  using hostkit::dialogs::FilterPairs;
  const struct {
    std::string filter;
    std::vector<FilterPair> pairs;
  } cases[] = {
      {"Images|*.png;*.jpg|All|*.*", {{"Images", "*.png;*.jpg"}, {"All", "*.*"}}},
      {"Images|*.png;*.jpg|All|*.*|", {{"Images", "*.png;*.jpg"}, {"All", "*.*"}}},
      {"", {}},
      {"Text|*.txt|Data", {{"Text", "*.txt"}}},       // a label without its pattern is dropped
      {"Text||All|*.*", {}},                          // "Text" NUL NUL: the list ends at the empty pattern
      {"A|*.a||B|*.b", {{"A", "*.a"}}},               // ... and at an empty label
      {"|*.txt", {}},                                 // a list that starts with NUL NUL is empty
      {"\xE4\xF6|*.\xFC", {{"\xE4\xF6", "*.\xFC"}}},  // bytes of the code page pass as they are
  };
  for (const auto& c : cases) EXPECT_EQ(FilterPairs(c.filter), c.pairs) << c.filter;
}

TEST(DialogsSelection, ItemPathsJoinAsTheHookDialogsAnswer) {
  using hostkit::dialogs::JoinItemPaths;
  const struct {
    std::vector<std::wstring> paths;
    std::optional<std::wstring> text;
  } cases[] = {
      {{L"C:\\Data\\a.txt"}, L"C:\\Data\\a.txt"},
      {{L"C:\\Data\\a.txt", L"C:\\Data\\b.txt"}, L"C:\\Data|a.txt|b.txt"},
      {{L"C:\\Data\\b.txt", L"C:\\Data\\a.txt"}, L"C:\\Data|b.txt|a.txt"},              // the dialog's order
      {{L"C:\\a.txt", L"C:\\b.txt"}, L"C:\\|a.txt|b.txt"},                              // a root keeps its backslash
      {{L"C:\\Data\\ab.txt", L"C:\\Data\\ac.txt"}, L"C:\\Data|ab.txt|ac.txt"},          // a shared start of the names
      {{L"C:\\Data\\x\\a.txt", L"C:\\Data\\y\\b.txt"}, L"C:\\Data|x\\a.txt|y\\b.txt"},  // a library view
      {{L"\\\\srv\\share\\a", L"\\\\srv\\share\\b"}, L"\\\\srv\\share|a|b"},
      {{L"C:\\a.txt", L"D:\\b.txt"}, std::nullopt},  // no folder holds both
      {{}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinItemPaths(c.paths), c.text);
}

TEST(DialogsSelection, HandlesTwoHundredNamesInALargeBuffer) {
  std::string buffer = "C:\\Data"s + '\0';
  std::string expected = "C:\\Data";
  for (int i = 0; i < 200; ++i) {
    const std::string name = "file_with_a_long_name_" + std::to_string(i) + ".txt";
    buffer += name + '\0';
    expected += "|" + name;
  }
  buffer.resize(64 * 1024, '\0');
  EXPECT_EQ(JoinSelection(buffer.data(), buffer.size()), expected);
}

TEST(DialogsInitialDir, StoresBackslashesAndRefusesWhatDoesNotFit) {
  using hostkit::dialogs::InitialDirFrom;
  EXPECT_EQ(InitialDirFrom("C:/Games/Saves"), "C:\\Games\\Saves");
  EXPECT_EQ(InitialDirFrom("C:\\Mixed/Path/"), "C:\\Mixed\\Path\\");
  EXPECT_EQ(InitialDirFrom(""), "");
  const std::string longest = "C:\\" + std::string(256, 'a');  // 259 bytes: fits with its terminator
  EXPECT_EQ(InitialDirFrom(longest), longest);
  EXPECT_EQ(InitialDirFrom(longest + "b"), "");  // 260 bytes: no room for the terminator
  EXPECT_EQ(InitialDirFrom(std::string(5000, '/')), "");
}

}  // namespace
