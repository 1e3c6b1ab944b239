// Workbooks saved with a password to open. A FILEPASS record near the
// start of the globals says how the records after it are encrypted: XOR
// obfuscation (Excel 5.0 and 95, and later ones when asked), RC4 with keys
// from MD5 (Excel 97 and 2000) or RC4 with keys from SHA-1 as Windows'
// CryptoAPI makes them (Excel 2002 and 2003). Record headers stay readable;
// the data of the records after FILEPASS is encrypted by its position in
// the stream, except for a few records a reader needs before it has a
// password (BOF, FILEPASS itself, the file locks, INTERFACEHDR, the
// revision records) and the sheet offsets at the head of BOUNDSHEET.
//
// Excel itself encrypts with the password "VelvetSweatshop" when a workbook
// is saved with its structure or windows protected, or marked read-only
// recommended, and opens such a workbook without asking: those are read.
#pragma once

#include <string>
#include <string_view>

#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

inline constexpr std::string_view kDefaultPassword = "VelvetSweatshop";

// A copy of `stream`, a workbook stream with a FILEPASS record in its
// globals, with the records after FILEPASS decrypted with `password`
// (ASCII). encrypted when the password does not open the workbook or the
// encryption is of a kind not known here; malformed for a FILEPASS record
// too short for its kind, or a stream without one.
ReadStatus decrypt_workbook_stream(std::string_view stream, std::string_view password, std::string& plain);

}  // namespace sheetlib::xls
