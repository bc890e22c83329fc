#pragma once
// The compiled patterns of recent commands, shared by the five commands and keyed by the pattern's bytes, so that
// a script that calls them a line at a time with the same pattern compiles it once. Bounded by a number of
// entries and by bytes (regex/bounds/bounds.h); the least recently used goes first. A pattern whose compiled form is
// too large for the cache serves its call alone; a pattern the engine rejects is remembered with its reason.
//
// Memory: a command's bound is about what it raises the process's memory by. A pattern is compiled within its
// command's memory account and stays counted there until that command ends, cached or not, as it always was; a
// later command that finds it cached is not charged for it (the process held it before). The cache's own count
// of an entry is what the compile left held; the cache allocates and frees its entries with no account active,
// so an eviction during a command does not disturb that command's count.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "regex/bounds/guard.h"
#include "regex/pattern.h"

namespace hostkit::regex {

// A command's hold on its compiled pattern. A cached pattern's blocks are the cache's, so the lease lets go of it
// with no account active; a pattern that serves its call alone is freed into the command's account.
class PatternLease {
 public:
  PatternLease(std::shared_ptr<const CompiledPattern> pattern, bool cached) noexcept
      : pattern_(std::move(pattern)), cached_(cached) {}
  PatternLease(PatternLease&&) noexcept = default;
  PatternLease& operator=(PatternLease&&) = delete;
  ~PatternLease();

  const CompiledPattern& operator*() const noexcept { return *pattern_; }
  const CompiledPattern* operator->() const noexcept { return pattern_.get(); }
  bool cached() const noexcept { return cached_; }

 private:
  std::shared_ptr<const CompiledPattern> pattern_;
  bool cached_;
};

class PatternCache {
 public:
  struct Limits {
    std::size_t entries;      // patterns kept, rejected ones included
    std::size_t bytes;        // bytes of all entries together
    std::size_t entry_bytes;  // a compiled pattern larger than this serves its call alone
  };

  explicit PatternCache(Limits limits) noexcept : limits_(limits) {}
  PatternCache(const PatternCache&) = delete;
  PatternCache& operator=(const PatternCache&) = delete;
  ~PatternCache();

  // The one cache of the commands, with the bounds of regex/bounds/bounds.h.
  static PatternCache& Shared();

  // The pattern compiled, from the cache or compiled now within the guard (regex/pattern.h, CompilePattern) and
  // kept when it fits. A rejected pattern throws the engine's error, whether remembered or met now.
  PatternLease Get(std::string_view pattern, Guard& guard);

  std::size_t entries() const;
  std::size_t bytes() const;
  // Whether the pattern is cached (compiled or rejected), without touching its place in the order.
  bool Holds(std::string_view pattern) const;
  // Drops every entry.
  void Clear();

 private:
  struct Entry {
    std::string key;
    std::shared_ptr<const CompiledPattern> pattern;  // null for a rejected pattern
    std::regex_constants::error_type rejected{};
    std::size_t bytes = 0;
  };
  using Order = std::list<Entry>;  // most recently used first

  // Adds an entry (the lock held, no account active), evicting from the back until it fits; false when the
  // key is there already (another thread compiled it meanwhile).
  bool Insert(Entry entry);

  const Limits limits_;
  mutable std::mutex mutex_;
  Order order_;
  std::unordered_map<std::string_view, Order::iterator> index_;  // keys point into the entries
  std::size_t bytes_ = 0;
};

}  // namespace hostkit::regex
