// The window's worker. While a handler runs, a step runs on a thread of its
// own and the window's thread keeps painting until it ends (input is dropped
// meanwhile, as between two positions of the bar). The step only computes:
// a fatal error raised in it (a library function that cannot be bound, a
// failed memory request) is carried back and reported on the window's
// thread, once the step's thread has ended, exactly as if it had been raised
// there.
#pragma once

#include <windows.h>

#include <functional>

#include "app/controls/controls.h"

namespace colsplit::win32 {

class Win32Worker final : public Worker {
 public:
  // How long the window's thread waits for the step before it paints again.
  static constexpr DWORD kPaintMilliseconds = 30;

  // How the window's thread waits for the step's thread; the result of
  // MsgWaitForMultipleObjects. A test puts a failing one in its place.
  using Wait = DWORD (*)(HANDLE thread, DWORD milliseconds);
  static DWORD wait_for_thread_or_message(HANDLE thread, DWORD milliseconds);

  // `busy` answers true while a handler runs; `keep_painting` lets pending
  // non-input messages through.
  Win32Worker(std::function<bool()> busy, std::function<void()> keep_painting,
              Wait wait = wait_for_thread_or_message)
      : busy_(std::move(busy)), keep_painting_(std::move(keep_painting)), wait_(wait) {}

  Win32Worker(const Win32Worker&) = delete;
  Win32Worker& operator=(const Win32Worker&) = delete;
  ~Win32Worker() override;

  // Outside a handler the step simply runs here. A wait that fails ends in
  // the runtime error report, not in a wait that never ends.
  void run(const std::function<void()>& step) override;
  // The window's thread goes on with the handler while the step runs; it
  // paints again when it waits in finish().
  void start(std::function<void()> step) override;
  void finish() override;

  struct Job;

 private:
  std::function<bool()> busy_;
  std::function<void()> keep_painting_;
  Wait wait_;
  Job* job_ = nullptr;  // the started step, until finish()
  HANDLE thread_ = nullptr;
};

}  // namespace colsplit::win32
