// A second thread that does jobs for the thread owning it: the library's
// read-ahead, its second worksheet parser, its shared-strings reader and its
// second deflater each keep one. A thread is a resource like memory: when none can be had (the system
// refuses one, or the memory for it), the owner does the work on its own
// thread, which is slower but gives the same result.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace sheetlib {

class HelperThread {
 public:
  // When the thread takes a job: only when it is idle, or also while it
  // works on one (then one job may wait behind it, no more).
  enum class HandOff { when_idle, when_none_waits };

  explicit HelperThread(HandOff hand_off = HandOff::when_idle) : hand_off_(hand_off) {}
  // Stops the thread (see stop()).
  ~HelperThread() { stop(); }
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Starts the thread; true when it runs (or already ran). False when no
  // thread could be had (std::system_error from std::thread, or
  // std::bad_alloc): the owner then does every job itself.
  bool start() noexcept;
  bool running() const noexcept { return thread_.joinable(); }

  // Gives the thread `job` when it runs and takes one now (see HandOff);
  // false otherwise, and the job is left to the owner. A job whose captures
  // are two pointers is handed over without allocating.
  bool hand_off(std::function<void()> job);

  // Waits until the thread has no job in hand and none waiting. What the
  // jobs wrote is then the owner's to read.
  void wait() noexcept;

  // Lets the thread finish the job in hand and the one waiting, then ends
  // it. Does nothing when it does not run; safe in a destructor while an
  // exception unwinds the owner.
  void stop() noexcept;

  // The first exception a job let out (the thread goes on with the next
  // job), or null. Read after wait() or stop().
  std::exception_ptr failure() const;

 private:
  void serve() noexcept;

  const HandOff hand_off_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> waiting_;  // handed over, not yet begun
  bool working_ = false;           // a job is in hand
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::thread thread_;
};

// For tests: while one lives, every start fails as std::thread fails when
// the system has no thread to give (std::system_error), or, with
// `as_out_of_memory`, when the memory for one runs short (std::bad_alloc).
class RefuseHelperThreads {
 public:
  explicit RefuseHelperThreads(bool as_out_of_memory = false);
  ~RefuseHelperThreads();
  RefuseHelperThreads(const RefuseHelperThreads&) = delete;
  RefuseHelperThreads& operator=(const RefuseHelperThreads&) = delete;

 private:
  int before_;
};

}  // namespace sheetlib
