// An .xlsx saved with a password: a compound file holding the stream
// EncryptionInfo (how the key is made from the password and how to check it)
// and the stream EncryptedPackage (the zip's size, then the zip encrypted).
// Excel encrypts with the password "VelvetSweatshop" when it is given none
// (a workbook whose structure is protected, or that is marked read-only
// recommended) and opens such a workbook without asking: that password alone
// is tried, and the package is decrypted in memory, never to disk. Both
// encryptions that take a password are known: "standard" (a binary header,
// AES-128 to 256 in ECB mode, SHA-1) and "agile" (an XML header, AES in CBC
// mode over segments of 4,096 bytes, SHA-1 or SHA-512).
#pragma once

#include <string>
#include <string_view>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

// True when the bytes are a compound file holding an encrypted package (and
// so no .xls workbook).
bool holds_encrypted_package(std::string_view file_bytes);

// The package of such a file, decrypted, in `package`: ok; encrypted when the
// password is not the default one, or for an encryption without a password
// (rights management, another provider's) or with a cipher other than AES;
// malformed for a damaged header, a package running past its stream or one
// that does not decrypt to a zip; over_limit when the package is larger than
// `limits.max_total_inflated_bytes`.
ReadStatus decrypt_package(std::string_view file_bytes, const ReadLimits& limits, std::string& package);

}  // namespace sheetlib::xls
