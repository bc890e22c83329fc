#pragma once
// Whose turn it is to build a dialog: the dialog threads build one at a time, and each gives the turn back once its
// dialog's loop runs. A turn held past a bound is taken from its holder, so a dialog whose loop never runs (a box
// that brings no loop to its thread) holds the others up only that long.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace hostkit::dialogs {

class BuildTurn {
 public:
  explicit BuildTurn(std::chrono::milliseconds max_hold) : max_hold_(max_hold) {}

  // Waits for the turn: until it is free or its holder has had it for max_hold. `wanted` is asked every `poll`
  // while waiting; once it answers false the wait ends without the turn. The ticket that gives the turn back, or 0
  // without the turn.
  std::uint64_t Take(const std::function<bool()>& wanted, std::chrono::milliseconds poll);
  // Gives the turn back; nothing when the turn was taken from this ticket meanwhile (or for 0).
  void Give(std::uint64_t ticket);

 private:
  using Clock = std::chrono::steady_clock;
  const std::chrono::milliseconds max_hold_;
  std::mutex lock_;
  std::condition_variable given_;
  std::uint64_t holder_ = 0;  // 0: free
  std::uint64_t last_ticket_ = 0;
  Clock::time_point held_since_;
};

}  // namespace hostkit::dialogs
