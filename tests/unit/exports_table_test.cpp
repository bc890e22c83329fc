// The export table against the scripters' docs: the index of docs/commands.md holds exactly the table's rows, and
// every command has an entry that shows its decorated name.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exports/export_table.h"

namespace {

using hostkit::exports::ExportRow;
using hostkit::exports::kExportTable;

std::string ReadDocs() {
  std::ifstream in(HOSTKIT_SOURCE_DIR "/docs/commands.md", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The index line of a row, as docs/commands.md spells it.
std::string IndexLine(const ExportRow& row) {
  std::string args(row.args);
  for (auto at = args.find(','); at != std::string::npos; at = args.find(',', at + 2)) args.replace(at, 1, ", ");
  return "| `" + std::string(row.name) + "` | " + std::string(row.result) + " | " + args + " | " +
         std::string(row.failure) + " | `" + std::string(row.decorated) + "` |";
}

// The body rows of the table under "## Index".
std::vector<std::string> IndexOf(const std::string& docs) {
  std::vector<std::string> lines;
  std::istringstream in(docs.substr(docs.find("\n## Index\n") + 1));
  bool in_table = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("|---")) {
      in_table = true;
    } else if (in_table) {
      if (!line.starts_with("|")) break;
      lines.push_back(line);
    }
  }
  return lines;
}

TEST(ExportTable, TheDocsIndexHoldsExactlyTheRows) {
  const std::string docs = ReadDocs();
  ASSERT_NE(docs.find("\n## Index\n"), std::string::npos) << "docs/commands.md has no index";
  std::vector<std::string> expected;
  std::string block;
  for (const ExportRow& row : kExportTable) {
    expected.push_back(IndexLine(row));
    block += expected.back() + "\n";
  }
  EXPECT_EQ(IndexOf(docs), expected) << "the index as the table makes it:\n" << block;
}

TEST(ExportTable, EveryCommandHasAnEntryThatNamesItsSymbol) {
  const std::string docs = ReadDocs();
  const std::string entries = docs.substr(docs.find("\n## Host linkage\n"));
  for (const ExportRow& row : kExportTable) {
    if (row.result == "pointer") continue;  // the host link has an entry of its own
    EXPECT_NE(entries.find("`" + std::string(row.decorated) + "`"), std::string::npos)
        << row.decorated << " is named in no entry";
  }
}

TEST(ExportTable, EachSymbolIsExportedOnceAndEachFunctionHasOneSignature) {
  std::set<std::string_view> decorated;
  for (const ExportRow& row : kExportTable) {
    EXPECT_TRUE(decorated.insert(row.decorated).second) << row.decorated << " twice";
    for (const ExportRow& other : kExportTable) {
      if (other.symbol != row.symbol) continue;
      EXPECT_TRUE(other.result == row.result && other.args == row.args && other.failure == row.failure)
          << row.symbol << " behind two different signatures";
    }
  }
}

}  // namespace
