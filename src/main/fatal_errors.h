// Where the layers' fatal errors end. The binding (xl) and the memory policy
// (src/memory) know no shell: a row that cannot be bound, a call that leaves the stack
// unbalanced and memory that cannot be had go to the functions installed
// here, which raise the runtime error report; after a report the bound rows
// give their library references back.
#pragma once

#include <cstddef>

namespace colsplit {

// Installs the report for all of them. Called first thing by every program.
void wire_fatal_errors();

// The report of a failed memory request ("分配 N 字节内存失败!"), as
// wire_fatal_errors installs it.
[[noreturn]] void report_failed_memory_request(std::size_t bytes);

}  // namespace colsplit
