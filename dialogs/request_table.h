#pragma once
// The table of dialog requests that outlive their call: the script's thread starts a request and polls it by id,
// the dialog's own thread reports its end once. Every operation takes one lock for a few table steps only, so
// neither side ever waits on the other's dialog.
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>

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
  // At most this many requests have a dialog thread at once.
  static constexpr int kMaxOpen = 16;
  // Ended requests whose answers are never read are kept up to this many; the one that ended first goes first.
  static constexpr std::size_t kMaxKept = 64;

  // A new open request: its id (1 or more), or 0 when kMaxOpen dialog threads are running.
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
  // The end of a request that has ended, taken out of the table: nothing for an open or unknown request.
  bool Take(int id, RequestEnd& end);
  // The answer that Take would give, left in the table ("" for a request that ended without one): nothing for an
  // open or unknown request.
  bool Peek(int id, std::string& answer) const;

  // The dialog threads still running, closed requests included.
  int Running() const;
  std::size_t Size() const;

 private:
  struct Entry {
    RequestStatus status = RequestStatus::Open;
    bool running = true;  // its thread has not finished yet
    bool visible = true;  // false once the script has read it while its thread still runs
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
