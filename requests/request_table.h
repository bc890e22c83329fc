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

// Ended requests never read that every kind keeps, at most.
inline constexpr std::size_t kMaxKept = 64;

struct Bounds {
  int max_running;
  std::size_t max_kept;
};

// The id rule, for any map from id to entry: the next id after `last_id` that the map does not hold.
template <class Map>
int NextFreeId(int& last_id, const Map& entries) {
  for (;;) {
    last_id = last_id == INT_MAX ? 1 : last_id + 1;
    if (entries.count(last_id) == 0) return last_id;
  }
}

// The kept bound, for any map from id to entry: the entry to forget, the kept one (`kept(entry)`) that ended first
// (`stamp(entry)`, ties to the lower id), while more than `max_kept` are kept; `entries.end()` when the bound holds.
// `droppable(entry)` leaves out a kept entry that must stay for now (one being read): it still counts.
template <class Map, class Kept, class Stamp, class Droppable>
typename Map::iterator OldestBeyondBound(Map& entries, std::size_t max_kept, Kept kept, Stamp stamp,
                                         Droppable droppable) {
  std::size_t count = 0;
  auto oldest = entries.end();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (!kept(it->second)) continue;
    ++count;
    if (droppable(it->second) && (oldest == entries.end() || stamp(it->second) < stamp(oldest->second))) oldest = it;
  }
  return count > max_kept ? oldest : entries.end();
}

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
  int NextId() { return NextFreeId(last_id_, entries_); }

  void DropOldestKept() {
    for (;;) {
      const auto oldest = OldestBeyondBound(
          entries_, bounds_.max_kept, [](const std::shared_ptr<Item>& item) { return item->Ended(); },
          [](const std::shared_ptr<Item>& item) { return item->EndStamp(); },
          [](const std::shared_ptr<Item>&) { return true; });
      if (oldest == entries_.end()) return;
      entries_.erase(oldest);
    }
  }

  const Bounds bounds_;
  mutable std::mutex lock_;
  std::map<int, std::shared_ptr<Item>> entries_;
  int last_id_;
};

}  // namespace hostkit::requests
