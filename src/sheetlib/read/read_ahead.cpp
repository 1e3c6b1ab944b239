#include "sheetlib/read/read_ahead.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace sheetlib {

namespace {

constexpr std::size_t kSlots = 4;
constexpr std::size_t kSlotBytes = 256 * 1024;

// A ring of filled buffers between the inflating thread and the parser.
struct Ring {
  struct Slot {
    std::vector<char> bytes = std::vector<char>(kSlotBytes);
    std::size_t size = 0;
    bool last = false;
  };
  std::array<Slot, kSlots> slots;
  std::size_t filled = 0;   // slots ready for the parser
  std::size_t next_in = 0;  // the slot the inflater fills next
  bool stop = false;        // the parser wants no more
  ReadStatus failure = ReadStatus::ok;
  std::mutex mutex;
  std::condition_variable changed;
};

void inflate_into(PartStream& stream, Ring& ring) noexcept {
  for (;;) {
    std::size_t at = 0;
    {
      std::unique_lock lock(ring.mutex);
      ring.changed.wait(lock, [&] { return ring.stop || ring.filled < kSlots; });
      if (ring.stop) return;
      at = ring.next_in;
    }
    Ring::Slot& slot = ring.slots[at];
    // A failure of this thread (memory that ran short among them) goes to
    // the parser's as the stream's last slot.
    std::ptrdiff_t got = -1;
    ReadStatus failure = ReadStatus::malformed;
    try {
      got = stream.read(slot.bytes.data(), kSlotBytes);
      if (stream.status() != ReadStatus::ok) failure = stream.status();
    } catch (const std::bad_alloc&) {
      failure = ReadStatus::out_of_memory;
    } catch (...) {
    }
    std::lock_guard lock(ring.mutex);
    if (got < 0) {
      ring.failure = failure;
      slot.size = 0;
      slot.last = true;
    } else {
      slot.size = static_cast<std::size_t>(got);
      slot.last = got == 0;
    }
    ring.next_in = (ring.next_in + 1) % kSlots;
    ++ring.filled;
    ring.changed.notify_all();
    if (slot.last) return;
  }
}

}  // namespace

ReadStatus read_ahead(PartStream& stream, const std::function<bool(const char*, std::size_t, bool)>& consume) {
  Ring ring;
  std::thread inflater;
  try {
    inflater = std::thread(inflate_into, std::ref(stream), std::ref(ring));
  } catch (const std::system_error&) {
    // No thread to be had: its stack is memory the process could not get.
    return ReadStatus::out_of_memory;
  }
  std::size_t next_out = 0;
  try {
    for (;;) {
      bool failed_here = false;
      {
        std::unique_lock lock(ring.mutex);
        ring.changed.wait(lock, [&] { return ring.filled > 0; });
        failed_here = ring.slots[next_out].last && ring.failure != ReadStatus::ok;
      }
      // The slot is the parser's until it is handed back below.
      Ring::Slot& slot = ring.slots[next_out];
      bool stop = slot.last;
      if (!failed_here && !consume(slot.bytes.data(), slot.size, slot.last)) stop = true;
      {
        std::lock_guard lock(ring.mutex);
        --ring.filled;
        if (stop) ring.stop = true;
        ring.changed.notify_all();
      }
      next_out = (next_out + 1) % kSlots;
      if (stop) break;
    }
  } catch (...) {
    {
      std::lock_guard lock(ring.mutex);
      ring.stop = true;
      ring.changed.notify_all();
    }
    inflater.join();
    throw;
  }
  inflater.join();
  std::lock_guard lock(ring.mutex);
  return ring.failure;
}

}  // namespace sheetlib
