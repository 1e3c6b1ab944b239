#include "app/win32/win32_worker.h"

#include <atomic>
#include <exception>
#include <memory>

#include "app/runtime_error/runtime_error_report.h"
#include "text/formatted_text.h"
#include "text/texts.h"

namespace colsplit::win32 {

struct Win32Worker::Job {
  std::function<void()> step;
  // Written by the step's thread before it ends, read by the window's thread
  // after it has seen it end.
  std::atomic<bool> carried{false};
  Text report;
};

namespace {

using Job = Win32Worker::Job;

// The report carrier of the step's thread: the report goes into the job and
// the thread ends at once, without showing anything.
void carry_report(void* context, const Text& report) {
  auto& job = *static_cast<Job*>(context);
  job.report = report;
  job.carried.store(true);
  ExitThread(1);
}

DWORD WINAPI run_job(void* context) {
  auto& job = *static_cast<Job*>(context);
  set_report_carrier_of_this_thread(carry_report, &job);
  try {
    job.step();
  } catch (const std::exception& escaped) {
    carry_report(&job, format_runtime_error(kErrorNone, escaped.what(), 0, 0));
  } catch (...) {
    carry_report(&job, format_runtime_error(kErrorNone, Text(), 0, 0));
  }
  set_report_carrier_of_this_thread(nullptr, nullptr);
  return 0;
}

}  // namespace

DWORD Win32Worker::wait_for_thread_or_message(HANDLE thread, DWORD milliseconds) {
  return MsgWaitForMultipleObjects(1, &thread, FALSE, milliseconds, QS_ALLINPUT);
}

Win32Worker::~Win32Worker() {
  // A started step is always finished by its handler; should one be left,
  // its thread must not outlive what it was given.
  if (thread_) WaitForSingleObject(thread_, INFINITE);
  if (thread_) CloseHandle(thread_);
  delete job_;
}

void Win32Worker::run(const std::function<void()>& step) {
  start(step);
  finish();
}

void Win32Worker::start(std::function<void()> step) {
  finish();
  if (!busy_ || !busy_() || !keep_painting_) return step();
  // The step runs while the window's thread does other work or waits for
  // it; the handler gives it nothing that it touches itself meanwhile.
  job_ = new Job{std::move(step), {}, {}};
  thread_ = CreateThread(nullptr, 0, run_job, job_, 0, nullptr);
  if (!thread_) {
    // No thread to be had: the window pauses instead.
    const std::unique_ptr<Job> job(job_);
    job_ = nullptr;
    job->step();
  }
}

void Win32Worker::finish() {
  if (!thread_) return;
  for (;;) {
    const DWORD woke = wait_(thread_, kPaintMilliseconds);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_FAILED) {
      // The step may still be running; the report ends the process with it.
      raise_runtime_error(kErrorNone, format_text(texts::kWorkerWaitFailed, static_cast<unsigned long>(GetLastError())),
                          0, 0);
    }
    keep_painting_();
  }
  CloseHandle(thread_);
  thread_ = nullptr;
  const std::unique_ptr<Job> job(job_);
  job_ = nullptr;
  if (job->carried.load()) raise_formatted_report(job->report);
}

}  // namespace colsplit::win32
