#pragma once
// The table of dialog requests that outlive their call: the script's thread starts a request and polls it by id,
// the dialog's own thread reports its end once. It keeps the rules of every request table (requests/request_table.h:
// the ids, the kept bound with the oldest end first) with what a dialog adds: an answer read once with its side
// effect, a close, and threads that may outlive their request. Every operation takes one lock for a few table steps
// only, so neither side ever waits on the other's dialog.
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "requests/request_table.h"

namespace hostkit::dialogs {

enum class RequestStatus : int { Open = 0, Answered = 1, Ended = 2, NotShown = 3, Unknown = -1 };

// What a dialog run gives back: its status (Answered, Ended or NotShown), the answer text, and the side effect that
// a read of the answer carries out on the script's thread (storing custom colours, the picked moment).
struct RequestEnd {
  RequestStatus status = RequestStatus::Ended;
  std::string answer;
  std::function<void()> on_read;
};

class RequestTable {
 public:
  // At most this many requests are open (not closed, not ended) at once.
  static constexpr int kMaxOpen = 16;
  // Besides the open ones, at most this many threads of closed or ended requests may still be winding down (a closed
  // dialog goes within about 50 ms, more while other dialogs are being built): under Wine 8, 20 rounds of start and
  // close back to back had 16 of the first 17 threads still running at the 18th start.
  static constexpr int kMaxWindingDown = 48;
  // Ended requests whose answers are never read are kept up to this many; the one that ended first goes first.
  static constexpr std::size_t kMaxKept = requests::kMaxKept;

  // A new open request: its id (1 or more), or 0 when kMaxOpen requests are open or kMaxWindingDown threads of
  // ended ones are still running.
  int Open();
  // The thread of `id` could not be started: the request is forgotten as if it was never made.
  void Abandon(int id);
  // The dialog thread of `id` has ended with `end`. An answer that comes after a close is dropped.
  void Finish(int id, RequestEnd end);
  // Ends an open request as Ended at once, dropping whatever answer its thread gives later; its thread sees
  // that through Wanted and closes its dialog. Whether the request was open.
  bool Close(int id);
  // Whether the thread of `id` should still show its dialog: the request is open (not closed, not forgotten).
  bool Wanted(int id) const;

  RequestStatus Status(int id) const;
  // Reads an ended request once, answer and side effect together. `hand_over` gets the answer ("" for a request
  // that ended without one) outside the lock, while the request is held in the table however many others end
  // meanwhile. If it answers true, the request is forgotten and its side effect runs before Read returns true; if
  // false, the request stays as it was for the next read. False without calling `hand_over` for a request that is
  // open, unknown, or being read on another thread.
  bool Read(int id, const std::function<bool(const std::string&)>& hand_over);

  // The dialog threads still running, closed requests included.
  int Running() const;
  std::size_t Size() const;

 private:
  struct Entry {
    RequestStatus status = RequestStatus::Open;
    bool running = true;   // its thread has not finished yet
    bool visible = true;   // false once the script has read it while its thread still runs
    bool reading = false;  // held by a Read in progress: never dropped meanwhile
    unsigned long long ended_at = 0;
    RequestEnd end;
  };
  void DropOldestKept();
  int NextId();

  mutable std::mutex lock_;
  std::map<int, Entry> entries_;
  int last_id_ = 0;
  unsigned long long ends_ = 0;
};

// The process's table.
RequestTable& Requests();

}  // namespace hostkit::dialogs
