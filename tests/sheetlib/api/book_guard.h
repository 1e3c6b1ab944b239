// A book made through the C interface and released at the end of the test.
#pragma once

#include "sheetlib/sheetlib.h"

namespace colsplit::testing {

class BookGuard {
 public:
  BookGuard() : book_(xlCreateXMLBookCA()) {}
  ~BookGuard() { xlBookReleaseA(book_); }
  BookGuard(const BookGuard&) = delete;
  BookGuard& operator=(const BookGuard&) = delete;
  BookHandle get() const { return book_; }
  operator BookHandle() const { return book_; }

 private:
  BookHandle book_;
};

}  // namespace colsplit::testing
