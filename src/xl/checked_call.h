// How a row's function is called. On 32-bit Windows the arguments are laid
// down as raw 32-bit words (a double as two) by a small assembly routine
// that also checks that the stack pointer is back where it was once the
// caller has taken the arguments off again: a callee of another calling
// convention (__stdcall pops its own arguments) is caught there instead of
// corrupting the program. Elsewhere there is only one calling convention and
// the call is an ordinary call through a typed pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <source_location>
#include <type_traits>

#include "sheetlib/interface/library_functions.h"
#include "xl/binding.h"
#include "xl/library_calls.h"

#if defined(_WIN32) && defined(__i386__)
#define COLSPLIT_XL_STACK_CHECK 1
// Pushes words[count - 1] … words[0], calls function, removes the words
// again unless callee_cleans, and stores the function's 32-bit result (eax)
// in *result and, when float_result is not null, its floating-point result
// (st0) in *float_result. Returns 0 when the stack pointer is where it was before the
// words were pushed; otherwise restores it and returns 1.
extern "C" int colsplit_checked_call(const void* function, const std::uint32_t* words, std::uint32_t count,
                                     std::uint32_t callee_cleans, std::uint32_t* result,
                                     double* float_result);
#else
#define COLSPLIT_XL_STACK_CHECK 0
#endif

namespace colsplit::xl {

// Who takes the arguments off the stack after a call: the caller, for the
// spreadsheet library's C functions; the callee, for the Windows API.
enum class Convention { c, windows_api };

// The C function type and the convention of each row, as the table gives
// them.
template <Row row>
struct RowFunction;
#define COLSPLIT_XL_ROW_FUNCTION(row_convention, result, name, parameters) \
  template <>                                                             \
  struct RowFunction<Row::name> {                                         \
    using Result = result;                                                \
    using Type = result parameters;                                       \
    static constexpr Convention convention = Convention::row_convention;  \
  };
#define COLSPLIT_XL_ROW(result, name, parameters) COLSPLIT_XL_ROW_FUNCTION(c, result, name, parameters)
#define COLSPLIT_XL_WINDOWS_ROW(library_file, result, name, parameters) \
  COLSPLIT_XL_ROW_FUNCTION(windows_api, result, name, parameters)
COLSPLIT_DLL_COMMAND_TABLE(COLSPLIT_XL_ROW, COLSPLIT_XL_WINDOWS_ROW)
#undef COLSPLIT_XL_ROW_FUNCTION
#undef COLSPLIT_XL_ROW
#undef COLSPLIT_XL_WINDOWS_ROW

#if COLSPLIT_XL_STACK_CHECK

template <typename T>
constexpr std::size_t words_of() {
  static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T>, "only raw machine values cross");
  static_assert(sizeof(T) == 4 || sizeof(T) == 8, "arguments are one or two 32-bit words");
  return sizeof(T) / 4;
}

template <typename T>
void put_words(std::uint32_t*& out, T value) {
  std::memcpy(out, &value, sizeof value);
  out += words_of<T>();
}

template <typename Result, Convention convention, typename... Args>
Result checked_call(Row row, const std::source_location& where, Args... args) {
  constexpr std::size_t count = (std::size_t{0} + ... + words_of<Args>());
  std::uint32_t words[count + 1] = {};  // one spare: no zero-length array for calls without arguments
  [[maybe_unused]] std::uint32_t* out = words;
  (put_words(out, args), ...);
  std::uint32_t result = 0;
  double float_result = 0;
  constexpr std::uint32_t callee_cleans = convention == Convention::windows_api ? 1 : 0;
  if (colsplit_checked_call(bound_address(row), words, count, callee_cleans, &result,
                            std::is_floating_point_v<Result> ? &float_result : nullptr) != 0)
    report_unbalanced_stack(row, where);
  if constexpr (std::is_void_v<Result>) {
    return;
  } else if constexpr (std::is_floating_point_v<Result>) {
    return static_cast<Result>(float_result);
  } else if constexpr (std::is_pointer_v<Result>) {
    return reinterpret_cast<Result>(static_cast<std::uintptr_t>(result));
  } else {
    return static_cast<Result>(result);
  }
}

#endif

// Arguments of exactly the row's C parameter types, in their order.
template <Row row, typename... Args>
concept ArgumentsOfRow = std::is_same_v<typename RowFunction<row>::Type, typename RowFunction<row>::Result(Args...)>;

// Calls the row's function. An argument of another type than the table
// gives (an int where the function takes a double, a missing one, a sheet
// where it takes a book) does not compile, rather than being pushed in the
// wrong width or order.
template <Row row, typename... Args>
  requires ArgumentsOfRow<row, Args...>
typename RowFunction<row>::Result call_row([[maybe_unused]] const std::source_location& where, Args... args) {
  using Function = RowFunction<row>;
#if COLSPLIT_XL_STACK_CHECK
  return checked_call<typename Function::Result, Function::convention>(row, where, args...);
#else
  return reinterpret_cast<typename Function::Type*>(bound_address(row))(args...);
#endif
}

}  // namespace colsplit::xl
