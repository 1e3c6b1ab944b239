// Reading a part's bytes in order, the one loop every reader of a part
// goes through: a large part is inflated on a second thread while the
// reader works on what came before (on a machine with two cores inflating
// then costs next to nothing), a small one a chunk at a time on this one.
#pragma once

#include <cstddef>
#include <utility>

#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// What takes a part's bytes from read_part, in order.
class PartSink {
 public:
  // Takes the next `size` bytes at `data`; `last` marks the end. False
  // stops the reading.
  virtual bool take(const char* data, std::size_t size, bool last) = 0;
  // A sink that keeps the bytes in a buffer of its own (expat's, a string)
  // may give room there for the next `size` of them: they are inflated
  // straight into it, and take() gets them there. Null: take() gets them
  // in a buffer of the reader's (always so for bytes read ahead).
  virtual char* room(std::size_t /*size*/) { return nullptr; }

 protected:
  ~PartSink() = default;
};

// A sink of a callable taking (data, size, last), as the scanners' consume.
template <typename Take>
class SinkOf final : public PartSink {
 public:
  explicit SinkOf(Take take) : take_(std::move(take)) {}
  bool take(const char* data, std::size_t size, bool last) override { return take_(data, size, last); }

 private:
  Take take_;
};

// expat as a sink: the part's bytes are inflated into its buffer.
class ParserSink final : public PartSink {
 public:
  explicit ParserSink(xml::Parser& parser) : parser_(parser) {}
  bool take(const char* data, std::size_t size, bool last) override {
    return data == room_ ? parser_.commit(size, last) : parser_.feed(data, size, last);
  }
  char* room(std::size_t size) override { return room_ = static_cast<char*>(parser_.buffer(size)); }

 private:
  xml::Parser& parser_;
  char* room_ = nullptr;
};

// Hands the part's bytes, in order, to `sink` until it stops them: read
// ahead (see read_ahead) when the part says it is large, else a chunk at a
// time. Returns the stream's failure, or ok (whatever the sink made of the
// bytes is the sink's to tell).
ReadStatus read_part(PartStream& stream, PartSink& sink);

// Hands the part's bytes, in order, to `sink` (whose take() returns false
// to stop early), while a second thread reads ahead from
// `stream`. Returns the stream's failure, or ok. Only the second thread
// touches the stream (and so the archive) until this returns. When no
// thread can be had, this thread reads a piece of the stream, hands it on,
// and so on: the same bytes and the same result, more slowly.
ReadStatus read_ahead(PartStream& stream, PartSink& sink);

}  // namespace sheetlib
