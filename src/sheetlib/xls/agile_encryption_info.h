// The XML that agile encryption keeps in EncryptionInfo after its eight
// bytes of version and flags: <keyData> says how the package is encrypted
// with the package key; the password's <p:encryptedKey> says how a key is
// made from the password, and holds the package key encrypted with it and
// the verifier that tells whether the password is the right one. The values
// are read as they stand; what they must be is checked where they are used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheetlib/core/read_status.h"
#include "sheetlib/crypto/hashes_and_ciphers.h"

namespace sheetlib::xls {

// The attributes that <keyData> and <p:encryptedKey> share.
struct AgileCipher {
  std::uint32_t salt_size = 0;
  std::uint32_t block_size = 0;
  std::uint32_t key_bits = 0;
  std::uint32_t hash_size = 0;
  std::string cipher_algorithm;  // "AES"
  std::string cipher_chaining;   // "ChainingModeCBC"
  std::string hash_algorithm;    // "SHA1", "SHA512"
  crypto::Bytes salt;
};

struct AgileEncryptionInfo {
  bool has_key_data = false;
  bool has_password_key = false;
  AgileCipher key_data;
  AgileCipher password_key;
  std::uint32_t spin_count = 0;
  crypto::Bytes encrypted_verifier_hash_input;
  crypto::Bytes encrypted_verifier_hash_value;
  crypto::Bytes encrypted_key_value;
};

// malformed for XML that is not well-formed or has a DOCTYPE, a number or a
// base64 value that is not one, or no <keyData>; encrypted when no key is
// encrypted with a password (only with certificates). The first <keyData>
// and the first password key count.
ReadStatus read_agile_encryption_info(std::string_view xml, AgileEncryptionInfo& info);

}  // namespace sheetlib::xls
