#include "regex/pattern_cache.h"

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"

namespace hostkit::regex {
namespace {

// Without a memory account (the fuzzer's build keeps its sanitizers' allocator) a compiled pattern's size is
// estimated from its states: a state with its matcher, and a bracket's table, come to about this much a state.
constexpr std::size_t kUnaccountedBytesPerState = 64;

}  // namespace

PatternLease::~PatternLease() {
  if (!cached_) return;
  AccountPause pause;
  pattern_.reset();
}

PatternCache::~PatternCache() { Clear(); }

PatternCache& PatternCache::Shared() {
  // Freed when the module unloads, unless a thread ended while it held the lock (a process that exits terminates
  // its other threads first): then it is left to the process's end rather than waited for.
  struct Holder {
    PatternCache* cache = new PatternCache({bounds::kCachedPatterns, bounds::kCacheBytes, bounds::kCachedPatternBytes});
    ~Holder() {
      if (!cache->mutex_.try_lock()) return;
      cache->mutex_.unlock();
      delete cache;
    }
  };
  AccountPause pause;  // the cache's own blocks are no command's
  static Holder holder;
  return *holder.cache;
}

PatternLease PatternCache::Get(std::string_view pattern, Guard& guard) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto found = index_.find(pattern); found != index_.end()) {
      order_.splice(order_.begin(), order_, found->second);
      const Entry& entry = *found->second;
      if (entry.pattern == nullptr) throw std::regex_error(entry.rejected);
      return PatternLease(entry.pattern, true);
    }
  }
  MemoryAccount* const account = MemoryAccount::Current();
  const std::size_t before = account != nullptr ? account->live() : 0;
  std::shared_ptr<const CompiledPattern> compiled;
  try {
    compiled = CompilePattern(pattern, guard);
  } catch (const FlagError&) {
    throw;  // read off the pattern's first bytes before anything is compiled: not worth an entry
  } catch (const std::regex_error& e) {
    // The engine's own verdict, not a bound of this call: the same pattern is rejected the same way next time.
    if (guard.tripped() == Trip::kNone && (account == nullptr || !account->refused())) {
      try {
        AccountPause pause;
        std::lock_guard<std::mutex> lock(mutex_);
        Insert({std::string(pattern), nullptr, e.code(), pattern.size() + bounds::kCacheEntryOverhead});
      } catch (const std::bad_alloc&) {
        // Not remembered: the pattern is compiled again next time.
      }
    }
    throw;
  }
  const std::size_t after = account != nullptr ? account->live() : 0;
  const std::size_t held =
      account != nullptr ? (after > before ? after - before : 0) : compiled->shape.states * kUnaccountedBytesPerState;
  const std::size_t bytes = held + pattern.size() + bounds::kCacheEntryOverhead;
  if (held > limits_.entry_bytes || bytes > limits_.bytes) return PatternLease(std::move(compiled), false);
  {
    AccountPause pause;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Insert({std::string(pattern), compiled, {}, bytes})) return PatternLease(std::move(compiled), false);
  }
  // Its blocks stay in the account until the command ends: the process holds them during the command, whose
  // rise in memory the bound is about. Later commands are not charged for them.
  return PatternLease(std::move(compiled), true);
}

bool PatternCache::Insert(Entry entry) {
  if (entry.bytes > limits_.bytes || limits_.entries == 0 || index_.count(entry.key) != 0) return false;
  while (!order_.empty() && (order_.size() >= limits_.entries || bytes_ + entry.bytes > limits_.bytes)) {
    bytes_ -= order_.back().bytes;
    index_.erase(order_.back().key);
    order_.pop_back();
  }
  order_.push_front(std::move(entry));
  try {
    index_.emplace(order_.front().key, order_.begin());
  } catch (...) {
    order_.pop_front();
    throw;
  }
  bytes_ += order_.front().bytes;
  return true;
}

std::size_t PatternCache::entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return order_.size();
}

std::size_t PatternCache::bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

bool PatternCache::Holds(std::string_view pattern) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return index_.count(pattern) != 0;
}

void PatternCache::Clear() {
  AccountPause pause;
  std::lock_guard<std::mutex> lock(mutex_);
  index_.clear();
  order_.clear();
  bytes_ = 0;
}

}  // namespace hostkit::regex
