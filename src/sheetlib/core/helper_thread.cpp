#include "sheetlib/core/helper_thread.h"

#include <atomic>
#include <new>
#include <system_error>
#include <utility>

namespace sheetlib {

namespace {

// How starts are refused while a RefuseHelperThreads lives.
enum Refusal : int { kNone, kNoThread, kNoMemory };
std::atomic<int> g_refusal{kNone};

}  // namespace

bool HelperThread::start() noexcept {
  if (thread_.joinable()) return true;
  try {
    switch (g_refusal.load()) {
      case kNoThread:
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      case kNoMemory:
        throw std::bad_alloc();
      default:
        break;
    }
    {
      const std::lock_guard lock(lock_);
      stopping_ = false;
    }
    thread_ = std::thread([this] { serve(); });
  } catch (const std::system_error&) {
    // No thread: its stack is address space the process could not get, or
    // the system's threads are used up.
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool HelperThread::hand_off(std::function<void()> job) {
  if (!thread_.joinable()) return false;
  {
    const std::lock_guard lock(lock_);
    if (stopping_ || waiting_ || (working_ && hand_off_ == HandOff::when_idle)) return false;
    waiting_ = std::move(job);
  }
  changed_.notify_all();
  return true;
}

void HelperThread::wait() noexcept {
  if (!thread_.joinable()) return;
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return !waiting_ && !working_; });
}

void HelperThread::stop() noexcept {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::exception_ptr HelperThread::failure() const {
  const std::lock_guard lock(lock_);
  return failure_;
}

void HelperThread::serve() noexcept {
  std::unique_lock lock(lock_);
  for (;;) {
    changed_.wait(lock, [&] { return waiting_ || stopping_; });
    if (!waiting_) return;
    std::function<void()> job = std::move(waiting_);
    waiting_ = nullptr;
    working_ = true;
    lock.unlock();
    // A job's exception goes to the owner; this thread goes on.
    std::exception_ptr caught;
    try {
      job();
    } catch (...) {
      caught = std::current_exception();
    }
    // The job's captures go before the owner learns that it ended.
    job = nullptr;
    lock.lock();
    if (caught && !failure_) failure_ = std::move(caught);
    working_ = false;
    changed_.notify_all();
  }
}

RefuseHelperThreads::RefuseHelperThreads(bool as_out_of_memory)
    : before_(g_refusal.exchange(as_out_of_memory ? kNoMemory : kNoThread)) {}

RefuseHelperThreads::~RefuseHelperThreads() { g_refusal.store(before_); }

}  // namespace sheetlib
