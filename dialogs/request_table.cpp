#include "dialogs/request_table.h"

#include <utility>

#include "requests/request_table.h"

namespace hostkit::dialogs {

int RequestTable::NextId() { return requests::NextFreeId(last_id_, entries_); }

int RequestTable::Open() {
  const std::lock_guard guard(lock_);
  // Closed and ended requests whose threads are still running do not count as open: they have a bound of their own.
  int open = 0;
  int winding_down = 0;
  for (const auto& [id, entry] : entries_) {
    open += entry.status == RequestStatus::Open ? 1 : 0;
    winding_down += entry.running && entry.status != RequestStatus::Open ? 1 : 0;
  }
  if (open >= kMaxOpen || winding_down >= kMaxWindingDown) return 0;
  const int id = NextId();
  entries_.emplace(id, Entry{});
  return id;
}

void RequestTable::Abandon(int id) {
  const std::lock_guard guard(lock_);
  entries_.erase(id);
}

void RequestTable::Finish(int id, RequestEnd end) {
  // The side effect of an answer that is dropped is dropped with it, outside the lock.
  RequestEnd dropped;
  const std::lock_guard guard(lock_);
  const auto it = entries_.find(id);
  if (it == entries_.end()) return;
  Entry& entry = it->second;
  entry.running = false;
  if (!entry.visible) {
    dropped = std::move(entry.end);
    entries_.erase(it);
    return;
  }
  if (entry.status == RequestStatus::Open) {
    entry.status = end.status == RequestStatus::Open ? RequestStatus::Ended : end.status;
    entry.end = std::move(end);
    entry.ended_at = ++ends_;
  } else {
    dropped = std::move(end);  // closed by the script already: it stays Ended with no answer
  }
  DropOldestKept();
}

bool RequestTable::Close(int id) {
  const std::lock_guard guard(lock_);
  const auto it = entries_.find(id);
  if (it == entries_.end() || !it->second.visible || it->second.status != RequestStatus::Open) return false;
  it->second.status = RequestStatus::Ended;
  it->second.ended_at = ++ends_;
  DropOldestKept();
  return true;
}

bool RequestTable::Wanted(int id) const {
  const std::lock_guard guard(lock_);
  const auto it = entries_.find(id);
  return it != entries_.end() && it->second.visible && it->second.status == RequestStatus::Open;
}

void RequestTable::DropOldestKept() {
  // Called under the lock after a request ends or a read lets go of one. A request being read is kept, and counted:
  // once its read lets go, the bound holds again.
  for (;;) {
    const auto oldest = requests::OldestBeyondBound(
        entries_, kMaxKept, [](const Entry& e) { return e.visible && e.status != RequestStatus::Open; },
        [](const Entry& e) { return e.ended_at; }, [](const Entry& e) { return !e.reading; });
    if (oldest == entries_.end()) return;
    if (oldest->second.running)
      oldest->second.visible = false;  // its thread still reports to it; it goes when that thread ends
    else
      entries_.erase(oldest);
  }
}

RequestStatus RequestTable::Status(int id) const {
  const std::lock_guard guard(lock_);
  const auto it = entries_.find(id);
  return it == entries_.end() || !it->second.visible ? RequestStatus::Unknown : it->second.status;
}

bool RequestTable::Read(int id, const std::function<bool(const std::string&)>& hand_over) {
  std::string answer;
  {
    const std::lock_guard guard(lock_);
    const auto it = entries_.find(id);
    if (it == entries_.end() || !it->second.visible || it->second.reading || it->second.status == RequestStatus::Open)
      return false;
    it->second.reading = true;
    if (it->second.status == RequestStatus::Answered) answer = it->second.end.answer;
  }
  // Handed over without the lock: the host's buffer comes from the host, and a dialog thread that ends meanwhile
  // must not wait for it. The entry stays: nothing but this read takes it.
  bool taken = false;
  try {
    taken = hand_over(answer);
  } catch (...) {
    const std::lock_guard guard(lock_);
    const auto it = entries_.find(id);
    if (it != entries_.end()) it->second.reading = false;
    throw;
  }
  RequestEnd end;
  {
    const std::lock_guard guard(lock_);
    const auto it = entries_.find(id);
    if (it == entries_.end()) return false;  // cannot happen while it is held; nothing to run
    if (!taken) {
      // Still held while the bound is restored: the others that ended meanwhile go first.
      DropOldestKept();
      it->second.reading = false;
      return false;
    }
    it->second.reading = false;
    end = std::move(it->second.end);
    if (it->second.running)
      it->second.visible = false;
    else
      entries_.erase(it);
  }
  if (end.on_read) end.on_read();
  return true;
}

int RequestTable::Running() const {
  const std::lock_guard guard(lock_);
  int running = 0;
  for (const auto& [id, entry] : entries_) running += entry.running ? 1 : 0;
  return running;
}

std::size_t RequestTable::Size() const {
  const std::lock_guard guard(lock_);
  return entries_.size();
}

RequestTable& Requests() {
  static RequestTable table;
  return table;
}

}  // namespace hostkit::dialogs
