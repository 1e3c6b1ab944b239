// The helper thread and its three users: jobs handed over and finished
// before a stop, a job's exception kept for the owner, and, when no thread
// can be had, the owner doing the work with the same result.
#include "sheetlib/core/helper_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "sheetlib/read/read_ahead.h"
#include "sheetlib/read/zip_archive.h"
#include "sheetlib/write/deflated_text.h"
#include "test_package.h"

namespace sheetlib {
namespace {

// A job that counts its start, waits for the gate, then takes a while and
// counts its end.
struct Counts {
  std::atomic<bool> gate{false};
  std::atomic<int> begun{0}, done{0};
  std::thread::id ran_on;
};
auto slow_job(Counts& counts) {
  return [&counts] {
    ++counts.begun;
    while (!counts.gate.load()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    counts.ran_on = std::this_thread::get_id();
    ++counts.done;
  };
}

TEST(HelperThread, TakesJobsAsItsHandOffSaysAndStopsAfterThem) {
  for (const auto mode : {HelperThread::HandOff::when_idle, HelperThread::HandOff::when_none_waits}) {
    const bool queues = mode == HelperThread::HandOff::when_none_waits;
    SCOPED_TRACE(queues ? "when none waits" : "when idle");
    Counts counts;
    HelperThread helper(mode);
    ASSERT_TRUE(helper.start());
    ASSERT_TRUE(helper.hand_off(slow_job(counts)));
    while (counts.begun.load() == 0) std::this_thread::yield();
    EXPECT_EQ(helper.hand_off(slow_job(counts)), queues);
    EXPECT_FALSE(helper.hand_off(slow_job(counts)));
    counts.gate.store(true);
    helper.stop();  // the job in hand (and the one waiting) end first
    EXPECT_EQ(counts.done.load(), queues ? 2 : 1);
    EXPECT_NE(counts.ran_on, std::this_thread::get_id());
    EXPECT_FALSE(helper.hand_off([] {}));
  }
}

TEST(HelperThread, JobExceptionReachesTheOwnerAndStopIsSafeWhileUnwinding) {
  HelperThread helper;
  ASSERT_TRUE(helper.start());
  ASSERT_TRUE(helper.hand_off([] { throw std::bad_alloc(); }));
  helper.wait();
  ASSERT_TRUE(helper.failure());
  EXPECT_THROW(std::rethrow_exception(helper.failure()), std::bad_alloc);
  Counts counts;
  ASSERT_TRUE(helper.hand_off([&] { ++counts.done; throw std::runtime_error("later"); }));
  helper.wait();
  EXPECT_EQ(counts.done.load(), 1);  // the thread went on; the first exception is kept
  EXPECT_THROW(std::rethrow_exception(helper.failure()), std::bad_alloc);

  try {
    HelperThread owned;
    ASSERT_TRUE(owned.start());
    ASSERT_TRUE(owned.hand_off(slow_job(counts)));
    counts.gate.store(true);
    throw std::runtime_error("owner fails");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(counts.done.load(), 2);
}

TEST(HelperThread, WithoutAThreadNothingIsHandedOver) {
  for (const bool as_out_of_memory : {false, true}) {
    {
      const RefuseHelperThreads refused(as_out_of_memory);
      HelperThread helper;
      EXPECT_FALSE(helper.start());
      EXPECT_FALSE(helper.running());
      EXPECT_FALSE(helper.hand_off([] {}));
      helper.wait();
      helper.stop();
      EXPECT_FALSE(helper.failure());
    }
    HelperThread helper;
    EXPECT_TRUE(helper.start());
  }
}

// read_ahead over one part: what consume got, and the result.
struct ReadAhead {
  std::string bytes;
  int calls = 0;
  int last_calls = 0;
  ReadStatus status = ReadStatus::ok;
};
ReadAhead read_part(const std::string& zip, int stop_after = -1) {
  std::unique_ptr<ZipArchive> archive;
  ReadAhead read;
  EXPECT_EQ(ZipArchive::open(zip, {}, archive), ReadStatus::ok);
  const std::unique_ptr<PartStream> stream = archive->open_part("part", read.status);
  if (!stream) return read;
  SinkOf sink([&](const char* data, std::size_t size, bool last) {
    read.bytes.append(data, size);
    read.last_calls += last;
    return ++read.calls != stop_after;
  });
  read.status = read_ahead(*stream, sink);
  return read;
}

TEST(NoHelperThread, ReadAheadGivesEveryByteInOrderAndTheSameResult) {
  std::string data;
  for (int i = 0; data.size() < 1'500'000; ++i) data += std::to_string(i * 7919LL) + (i % 13 ? "," : "\n");
  const std::string zip = testing::make_zip({{"part", data}});
  testing::RawEntry lying = testing::stored("part", data);
  lying.uncompressed_size = 5u << 20;  // more than it holds: the stream fails at its end
  const std::string broken = testing::make_raw_zip({lying});
  const ReadAhead threaded_broken = read_part(broken);
  ASSERT_NE(threaded_broken.status, ReadStatus::ok);
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "no thread" : "with a thread");
    std::optional<RefuseHelperThreads> no_thread;
    if (refused) no_thread.emplace();
    const ReadAhead whole = read_part(zip);
    EXPECT_EQ(whole.status, ReadStatus::ok);
    EXPECT_TRUE(whole.bytes == data);
    EXPECT_EQ(whole.last_calls, 1);
    const ReadAhead stopped = read_part(zip, 1);
    EXPECT_EQ(stopped.status, ReadStatus::ok);
    EXPECT_EQ(stopped.calls, 1);
    EXPECT_EQ(read_part(broken).status, threaded_broken.status);
  }
}

TEST(NoHelperThread, LargeSheetIsReadWholeWithTheSameCells) {
  std::string rows;
  for (int r = 1; r <= 60'000; ++r) {
    const std::string n = std::to_string(r);
    rows.append("<row r=\"").append(n).append("\"><c t=\"inlineStr\"><is><t>a").append(n);
    rows.append("</t></is></c><c><v>").append(n).append("</v></c></row>");
  }
  const std::string workbook = testing::make_workbook(testing::sheet_xml(rows));
  const testing::Loaded in_pieces = testing::load(workbook);
  ASSERT_EQ(in_pieces.status, ReadStatus::ok);
  EXPECT_GE(in_pieces.cost.sheet_pieces, 4u);
  for (const bool as_out_of_memory : {false, true}) {
    const RefuseHelperThreads refused(as_out_of_memory);
    const testing::Loaded whole = testing::load(workbook);
    ASSERT_EQ(whole.status, ReadStatus::ok);
    EXPECT_EQ(whole.cost.sheet_pieces, 0u);
    EXPECT_TRUE(testing::grid_rows(whole.grid) == testing::grid_rows(in_pieces.grid));
  }
}

TEST(NoHelperThread, DeflatedBytesAreTheSame) {
  std::string xml;
  for (int r = 1; xml.size() < 5 * ParallelDeflater::kBlockBytes + 777; ++r)
    xml += "<row r=\"" + std::to_string(r) + "\"><c><v>" + std::to_string(r * 104729LL % 99991) + "</v></c></row>";
  const auto deflated = [&](bool helper, bool refused) {
    std::optional<RefuseHelperThreads> no_thread;
    if (refused) no_thread.emplace();
    ParallelDeflater deflater(1, helper);
    deflater.add(xml);
    const DeflatedBytes bytes = deflater.finish();
    EXPECT_TRUE(bytes.made);
    return joined(bytes);
  };
  const std::string threaded = deflated(true, false);
  EXPECT_EQ(inflate_all(threaded), xml);
  EXPECT_TRUE(deflated(true, true) == threaded);
  EXPECT_TRUE(deflated(false, false) == threaded);
}

}  // namespace
}  // namespace sheetlib
