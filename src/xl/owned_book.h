// A book of the library, released when its owner goes: the one place where
// the program gives a book back (xlBookReleaseA), so that no early return
// can leave one behind.
#pragma once

#include <utility>

#include "xl/library_calls.h"

namespace colsplit::xl {

// Owns one book handle (or none). Move-only: a moved-from owner holds no
// book and releases nothing. A null handle is never handed to the library.
class OwnedBook {
 public:
  OwnedBook() = default;
  // Takes the book in; `where` is the place the release is reported from
  // when the release call leaves the stack unbalanced.
  explicit OwnedBook(BookHandle book, CallSite where = CallSite::current()) : book_(book), where_(where) {}
  ~OwnedBook() { reset(); }

  OwnedBook(OwnedBook&& other) noexcept : book_(std::exchange(other.book_, nullptr)), where_(other.where_) {}
  OwnedBook& operator=(OwnedBook&& other) noexcept {
    if (this != &other) {
      reset();
      book_ = std::exchange(other.book_, nullptr);
      where_ = other.where_;
    }
    return *this;
  }
  OwnedBook(const OwnedBook&) = delete;
  OwnedBook& operator=(const OwnedBook&) = delete;

  BookHandle get() const { return book_; }
  explicit operator bool() const { return book_ != nullptr; }

  // Releases the book now; the owner holds none afterwards.
  void reset() {
    if (const BookHandle book = std::exchange(book_, nullptr)) xlBookReleaseA(book, where_);
  }

 private:
  BookHandle book_ = nullptr;
  CallSite where_;
};

}  // namespace colsplit::xl
