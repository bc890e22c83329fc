// The export table against the scripters' docs: the index of docs/commands.md holds exactly the table's rows, each
// name linked to the entry that describes it, and every command has an entry that shows its decorated name.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
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

// A heading's anchor as GitHub makes it, and as tools/dist.sh gives the release page's headings: lower case, with
// letters, digits, "_" and "-" kept, spaces made "-" and everything else dropped.
std::string Anchor(std::string_view heading) {
  std::string anchor;
  for (const char c : heading) {
    if (c >= 'A' && c <= 'Z')
      anchor += static_cast<char>(c - 'A' + 'a');
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
      anchor += c;
    else if (c == ' ')
      anchor += '-';
  }
  return anchor;
}

// Each command's entry: the anchor of the "### " or "#### " heading that names it among names joined by ", ".
std::map<std::string, std::string> EntryAnchors(const std::string& docs) {
  std::map<std::string, std::string> anchors;
  std::istringstream in(docs.substr(docs.find("\n## Host linkage\n")));
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("### ") && !line.starts_with("#### ")) continue;
    const std::string heading = line.substr(line.find(' ') + 1);
    for (std::size_t from = 0; from <= heading.size();) {
      const std::size_t comma = std::min(heading.find(", ", from), heading.size());
      anchors.emplace(heading.substr(from, comma - from), Anchor(heading));
      from = comma + 2;
    }
  }
  return anchors;
}

// The index line of a row, as docs/commands.md spells it: the name links to its entry.
std::string IndexLine(const ExportRow& row, const std::map<std::string, std::string>& anchors) {
  std::string args(row.args);
  for (auto at = args.find(','); at != std::string::npos; at = args.find(',', at + 2)) args.replace(at, 1, ", ");
  const std::string name(row.name);
  const auto entry = anchors.find(name);
  const std::string link = "[`" + name + "`](#" + (entry != anchors.end() ? entry->second : "NO-ENTRY") + ")";
  return "| " + link + " | " + std::string(row.result) + " | " + args + " | " + std::string(row.failure) + " | `" +
         std::string(row.decorated) + "` |";
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
  const auto anchors = EntryAnchors(docs);
  std::vector<std::string> expected;
  std::string block;
  for (const ExportRow& row : kExportTable) {
    expected.push_back(IndexLine(row, anchors));
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
