#pragma once
// The rules every request that outlives its call keeps, whatever runs it (a dialog on a thread of its own, a program
// beside the game): the script's thread starts a request and polls it by id; whatever runs it reports to the request
// itself, never to the table. So the table's lock is taken by the script's calls alone, for a few table steps, and a
// status read never waits on a worker.
//   - Ids are 1 or more and are not reused while the table lives: they climb, wrap past INT_MAX to 1 and pass over
//     every id still in the table.
//   - At most `max_running` requests have not ended; a start past that answers 0 and nothing is made.
//   - Ended requests that the script never reads are kept up to `max_kept`; past that the one that ended first is
//     forgotten. A request that has not ended is never forgotten by the bound.
//   - The kind decides when the script has read a request whole, and forgets it then.
// An item gives `bool Ended()` (it may look at its worker's state, but must not wait on it) and `EndStamp()`, an
// ordering of ends (earlier ends smaller).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace hostkit::requests {

struct Bounds {
  int max_running;
  std::size_t max_kept;
};

template <class Item>
class Table {
 public:
  // `last_id` is where ids start climbing from (tests start it near INT_MAX).
  explicit Table(Bounds bounds, int last_id = 0) : bounds_(bounds), last_id_(last_id) {}
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // The new request's id, or 0 when `max_running` have not ended yet.
  int Add(std::shared_ptr<Item> item) {
    const std::lock_guard guard(lock_);
    int running = 0;
    for (const auto& [id, entry] : entries_) running += entry->Ended() ? 0 : 1;
    if (running >= bounds_.max_running) return 0;
    const int id = NextId();
    entries_.emplace(id, std::move(item));
    DropOldestKept();
    return id;
  }

  // The request, or null for an id never made or forgotten. The caller reads it outside the table's lock.
  std::shared_ptr<Item> Find(int id) const {
    const std::lock_guard guard(lock_);
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : it->second;
  }

  void Forget(int id) {
    const std::lock_guard guard(lock_);
    entries_.erase(id);
  }

  std::size_t Size() const {
    const std::lock_guard guard(lock_);
    return entries_.size();
  }

 private:
  int NextId() {
    for (;;) {
      last_id_ = last_id_ == INT_MAX ? 1 : last_id_ + 1;
      if (entries_.count(last_id_) == 0) return last_id_;
    }
  }

  void DropOldestKept() {
    for (;;) {
      std::size_t kept = 0;
      auto oldest = entries_.end();
      for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!it->second->Ended()) continue;
        ++kept;
        if (oldest == entries_.end() || it->second->EndStamp() < oldest->second->EndStamp()) oldest = it;
      }
      if (kept <= bounds_.max_kept) return;
      entries_.erase(oldest);
    }
  }

  const Bounds bounds_;
  mutable std::mutex lock_;
  std::map<int, std::shared_ptr<Item>> entries_;
  int last_id_;
};

}  // namespace hostkit::requests
