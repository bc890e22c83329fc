#include "tools/hostrun/script.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace hostrun {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string starting at line[pos] == '"'; leaves pos after the closing quote.
std::string TakeString(std::string_view line, std::size_t& pos) {
  std::string text;
  ++pos;
  while (pos < line.size() && line[pos] != '"') {
    char c = line[pos++];
    if (c != '\\') {
      text += c;
      continue;
    }
    if (pos >= line.size()) break;
    const char e = line[pos++];
    switch (e) {
      case '\\':
        text += '\\';
        break;
      case '"':
        text += '"';
        break;
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case 't':
        text += '\t';
        break;
      case 'x': {
        const int hi = pos < line.size() ? HexValue(line[pos]) : -1;
        const int lo = pos + 1 < line.size() ? HexValue(line[pos + 1]) : -1;
        if (hi < 0 || lo < 0) throw std::invalid_argument("\\x needs two hexadecimal digits");
        text += static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default:
        throw std::invalid_argument(std::string("unknown escape \\") + e);
    }
  }
  if (pos >= line.size()) throw std::invalid_argument("unterminated string");
  ++pos;
  return text;
}

Arg ParseWord(std::string_view word) {
  if (word == "null") return Arg::Null();
  const std::string w(word);
  const bool negative = w[0] == '-';
  const std::string digits = negative ? w.substr(1) : w;
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  if (digits.empty()) throw std::invalid_argument("bad argument " + w);
  for (std::size_t i = hex ? 2 : 0; i < digits.size(); ++i) {
    if (hex ? HexValue(digits[i]) < 0 : !std::isdigit(static_cast<unsigned char>(digits[i])))
      throw std::invalid_argument("bad argument " + w);
  }
  errno = 0;
  const long long value = std::strtoll(digits.c_str(), nullptr, hex ? 16 : 10);
  // Hex words may spell any 32-bit pattern (0xFFFFFFFF is -1); decimal ones must fit a signed int.
  const long long limit = hex ? 0xFFFFFFFFLL : 0x80000000LL;
  if (errno == ERANGE || value > limit || (!negative && !hex && value == limit))
    throw std::invalid_argument("number out of range " + w);
  const long long signed_value = negative ? -value : value;
  return Arg::Int(static_cast<std::int32_t>(static_cast<std::uint32_t>(signed_value)));
}

}  // namespace

std::optional<ScriptLine> ParseScriptLine(std::string_view line) {
  std::size_t pos = 0;
  auto skip_space = [&] {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
  };
  skip_space();
  if (pos >= line.size() || line[pos] == '#') return std::nullopt;
  ScriptLine out;
  while (pos < line.size() && (std::isalnum(static_cast<unsigned char>(line[pos])) || line[pos] == '_'))
    out.name += line[pos++];
  if (out.name.empty()) throw std::invalid_argument("a line starts with a command name");
  for (;;) {
    skip_space();
    if (pos >= line.size() || line[pos] == '#') break;
    if (line[pos] == '"') {
      out.args.push_back(Arg::Str(TakeString(line, pos)));
    } else {
      const std::size_t start = pos;
      while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != '\r') ++pos;
      out.args.push_back(ParseWord(line.substr(start, pos - start)));
    }
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", c);
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string ToJson(const Result& result) {
  if (result.kind == Kind::Int) return std::to_string(result.number);
  if (result.kind == Kind::String && result.text) return JsonString(*result.text);
  return "null";
}

}  // namespace hostrun
