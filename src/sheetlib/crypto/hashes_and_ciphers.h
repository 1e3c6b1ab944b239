// The hashes and ciphers that Office's encryption uses, from libtomcrypt:
// MD5, SHA-1 and SHA-512, RC4, and AES with 128, 192 or 256-bit keys in ECB
// and CBC modes, and base64 for the salts and keys that an encrypted .xlsx
// keeps in XML. Only what decrypting a workbook needs; nothing here
// encrypts except what the tests and the RC4 stream (its own inverse) use.
#pragma once

#include <initializer_list>
#include <memory>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sheetlib::crypto {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

enum class HashKind { md5, sha1, sha512 };

std::size_t digest_size(HashKind kind);

// The digest of the pieces, hashed one after the other as one message.
Bytes digest(HashKind kind, std::initializer_list<ByteView> pieces);

// RC4 keyed once (keys of 5 to 256 bytes; a shorter one keys nothing and
// leaves data alone: check keyed()); each apply() goes on where the last one
// stopped, and skip() moves on as if applied to bytes thrown away.
class Rc4 {
 public:
  explicit Rc4(ByteView key);
  ~Rc4();
  Rc4(const Rc4&) = delete;
  Rc4& operator=(const Rc4&) = delete;

  bool keyed() const { return state_ != nullptr; }
  void apply(std::span<std::uint8_t> data);
  void skip(std::size_t count);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// (Not aes_ecb_decrypt and the like: libtomcrypt defines those as macros.)
// AES decryption of whole 16-byte blocks in place; false for a key that is
// not 16, 24 or 32 bytes, an IV that is not 16, or data not a multiple of 16.
bool decrypt_aes_ecb(ByteView key, std::span<std::uint8_t> data);
bool decrypt_aes_cbc(ByteView key, ByteView iv, std::span<std::uint8_t> data);
// For the tests, which make encrypted files.
bool encrypt_aes_ecb(ByteView key, std::span<std::uint8_t> data);
bool encrypt_aes_cbc(ByteView key, ByteView iv, std::span<std::uint8_t> data);

// The bytes of base64 text (white space between its characters allowed);
// false for text that is not base64.
bool decode_base64(std::string_view text, Bytes& out);

inline ByteView view_of(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

}  // namespace sheetlib::crypto
