#include "sheetlib/read/read_ahead.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "sheetlib/core/helper_thread.h"

namespace sheetlib {

namespace {

constexpr std::size_t kSlots = 4;
constexpr std::size_t kSlotBytes = 256 * 1024;
// Parts this large (worksheets, shared strings) are read ahead; for small
// ones a thread costs more than it saves.
constexpr std::uint64_t kReadAheadBytes = 4 * 1024 * 1024;
// What a small part is read in at a time.
constexpr std::size_t kChunkBytes = 64 * 1024;

struct Slot {
  std::vector<char> bytes = std::vector<char>(kSlotBytes);
  std::size_t size = 0;
  bool last = false;
};

// Fills the slot with the stream's next bytes. A failure (memory that ran
// short among them) makes the slot the stream's last, empty, and is
// returned; ok otherwise.
ReadStatus fill(PartStream& stream, Slot& slot) noexcept {
  std::ptrdiff_t got = -1;
  ReadStatus failure = ReadStatus::malformed;
  try {
    got = stream.read(slot.bytes.data(), kSlotBytes);
    if (stream.status() != ReadStatus::ok) failure = stream.status();
  } catch (const std::bad_alloc&) {
    failure = ReadStatus::out_of_memory;
  } catch (...) {
  }
  if (got < 0) {
    slot.size = 0;
    slot.last = true;
    return failure;
  }
  slot.size = static_cast<std::size_t>(got);
  slot.last = got == 0;
  return ReadStatus::ok;
}

// A ring of filled buffers between the inflating thread and the parser.
struct Ring {
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
    Slot& slot = ring.slots[at];
    // A failure of this thread goes to the parser's as the stream's last slot.
    const ReadStatus failure = fill(stream, slot);
    std::lock_guard lock(ring.mutex);
    if (failure != ReadStatus::ok) ring.failure = failure;
    ring.next_in = (ring.next_in + 1) % kSlots;
    ++ring.filled;
    ring.changed.notify_all();
    if (slot.last) return;
  }
}

// A chunk of the stream is read (into the sink's room, or ours) and handed
// on, and again.
ReadStatus read_in_chunks(PartStream& stream, PartSink& sink, std::size_t chunk) {
  std::vector<char> own;
  for (;;) {
    char* into = sink.room(chunk);
    if (!into) {
      own.resize(chunk);
      into = own.data();
    }
    const std::ptrdiff_t got = stream.read(into, chunk);
    if (got < 0) return stream.status();
    if (!sink.take(into, static_cast<std::size_t>(got), got == 0) || got == 0) return ReadStatus::ok;
  }
}

}  // namespace

ReadStatus read_part(PartStream& stream, PartSink& sink) {
  if (stream.declared_size() < kReadAheadBytes) return read_in_chunks(stream, sink, kChunkBytes);
  return read_ahead(stream, sink);
}

ReadStatus read_ahead(PartStream& stream, PartSink& sink) {
  std::optional<Ring> ring;  // outlives the inflater
  HelperThread inflater;
  // Without a second thread a slot's worth is read here and handed on.
  if (!inflater.start()) return read_in_chunks(stream, sink, kSlotBytes);
  ring.emplace();
  if (!inflater.hand_off([&stream, &ring] { inflate_into(stream, *ring); }))
    return read_in_chunks(stream, sink, kSlotBytes);
  std::size_t next_out = 0;
  try {
    for (;;) {
      bool failed_here = false;
      {
        std::unique_lock lock(ring->mutex);
        ring->changed.wait(lock, [&] { return ring->filled > 0; });
        failed_here = ring->slots[next_out].last && ring->failure != ReadStatus::ok;
      }
      // The slot is the parser's until it is handed back below.
      Slot& slot = ring->slots[next_out];
      bool stop = slot.last;
      if (!failed_here && !sink.take(slot.bytes.data(), slot.size, slot.last)) stop = true;
      {
        std::lock_guard lock(ring->mutex);
        --ring->filled;
        if (stop) ring->stop = true;
        ring->changed.notify_all();
      }
      next_out = (next_out + 1) % kSlots;
      if (stop) break;
    }
  } catch (...) {
    {
      std::lock_guard lock(ring->mutex);
      ring->stop = true;
      ring->changed.notify_all();
    }
    inflater.stop();
    throw;
  }
  inflater.stop();
  std::lock_guard lock(ring->mutex);
  return ring->failure;
}

}  // namespace sheetlib
