#include "sheetlib/xls/workbook_decryption.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "sheetlib/crypto/hashes_and_ciphers.h"
#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/little_endian.h"
#include "sheetlib/xls/xor_obfuscation.h"

namespace sheetlib::xls {

namespace {

using crypto::Bytes;
using crypto::ByteView;
using crypto::HashKind;

// FILEPASS's first field (BIFF8; BIFF5 knows only XOR and has no such field).
constexpr std::uint16_t kXorObfuscation = 0x0000;
constexpr std::uint16_t kRc4 = 0x0001;

// RC4 starts over with a new key every 1,024 bytes of the stream.
constexpr std::size_t kRc4Block = 1024;
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kVerifierBytes = 16;
constexpr std::uint32_t kAlgorithmRc4 = 0x6801;
constexpr std::uint32_t kAlgorithmSha1 = 0x8004;
// The fields of the CryptoAPI header before the provider's name.
constexpr std::size_t kCryptoApiHeaderFields = 32;

// Records whose data is never encrypted.
bool stays_plain(std::uint16_t type) {
  switch (type) {
    case record::kBof:
    case record::kFilePass:
    case record::kUsrExcl:
    case record::kFileLock:
    case record::kInterfaceHeader:
    case record::kRrdInfo:
    case record::kRrdHead:
      return true;
    default:
      return false;
  }
}

ByteView view_of(std::string_view data, std::size_t at, std::size_t count) {
  return {reinterpret_cast<const std::uint8_t*>(data.data()) + at, count};
}

// The password as RC4's key derivations take it: UTF-16LE.
Bytes utf16_of(std::string_view password) {
  Bytes out;
  for (const char c : password) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

// Undoes the encryption of the bytes at `offset` in the stream, of a
// record whose data has `record_size` bytes. Calls come in stream order.
class Decryptor {
 public:
  virtual ~Decryptor() = default;
  virtual void decrypt(std::size_t offset, std::size_t record_size, std::span<std::uint8_t> bytes) = 0;
};

class XorDecryptor final : public Decryptor {
 public:
  explicit XorDecryptor(std::string_view password) : array_(xor_array(password)) {}

  // The array's place at a byte counts from the byte's offset plus the
  // record's size; each byte was rotated left by 5 before the XOR.
  void decrypt(std::size_t offset, std::size_t record_size, std::span<std::uint8_t> bytes) override {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto mixed = static_cast<std::uint8_t>(bytes[i] ^ array_[(offset + record_size + i) % array_.size()]);
      bytes[i] = static_cast<std::uint8_t>(mixed >> 5 | mixed << 3);
    }
  }

 private:
  std::array<std::uint8_t, 16> array_;
};

// The RC4 keys of both kinds: the digest of a base the password makes and
// the block number, cut to the key's length. CryptoAPI's 40-bit keys are
// padded with zeros to 128 bits, as CryptoAPI itself pads them.
struct Rc4Keys {
  HashKind hash = HashKind::md5;
  Bytes base;
  std::size_t key_bytes = 16;

  Bytes key(std::uint32_t block) const {
    const std::uint8_t number[4] = {static_cast<std::uint8_t>(block), static_cast<std::uint8_t>(block >> 8),
                                    static_cast<std::uint8_t>(block >> 16), static_cast<std::uint8_t>(block >> 24)};
    Bytes key = digest(hash, {crypto::view_of(base), ByteView(number)});
    key.resize(key_bytes);
    if (key_bytes == 5) key.resize(16, 0);
    return key;
  }

  // Whether the block 0 key turns the encrypted verifier into bytes whose
  // digest is the encrypted hash that follows it, with one RC4 stream.
  bool verify(ByteView encrypted_verifier, ByteView encrypted_hash) const {
    Bytes verifier(encrypted_verifier.begin(), encrypted_verifier.end());
    Bytes hash_bytes(encrypted_hash.begin(), encrypted_hash.end());
    crypto::Rc4 rc4(crypto::view_of(key(0)));
    if (!rc4.keyed()) return false;
    rc4.apply(verifier);
    rc4.apply(hash_bytes);
    return digest(hash, {crypto::view_of(verifier)}) == hash_bytes;
  }
};

class Rc4Decryptor final : public Decryptor {
 public:
  explicit Rc4Decryptor(Rc4Keys keys) : keys_(std::move(keys)) {}

  void decrypt(std::size_t offset, std::size_t, std::span<std::uint8_t> bytes) override {
    while (!bytes.empty()) {
      const std::size_t block = offset / kRc4Block;
      const std::size_t within = offset % kRc4Block;
      // A new block takes a new key; the bytes passed over (headers, plain
      // records) still use up the key stream.
      if (!rc4_ || block != block_ || within < used_) {
        rc4_ = std::make_unique<crypto::Rc4>(crypto::view_of(keys_.key(static_cast<std::uint32_t>(block))));
        block_ = block;
        used_ = 0;
      }
      rc4_->skip(within - used_);
      const std::size_t count = std::min(bytes.size(), kRc4Block - within);
      rc4_->apply(bytes.first(count));
      used_ = within + count;
      offset += count;
      bytes = bytes.subspan(count);
    }
  }

 private:
  Rc4Keys keys_;
  std::unique_ptr<crypto::Rc4> rc4_;
  std::size_t block_ = 0;
  std::size_t used_ = 0;
};

ReadStatus xor_decryptor(std::string_view data, std::string_view password, std::unique_ptr<Decryptor>& out) {
  // The key and the verifier, both made from the password.
  if (data.size() < 4) return ReadStatus::malformed;
  if (le16(data, 0) != xor_key(password) || le16(data, 2) != xor_password_verifier(password))
    return ReadStatus::encrypted;
  out = std::make_unique<XorDecryptor>(password);
  return ReadStatus::ok;
}

// Excel 97 and 2000: salt, encrypted verifier, its encrypted MD5.
ReadStatus standard_rc4_decryptor(std::string_view data, std::string_view password,
                                  std::unique_ptr<Decryptor>& out) {
  if (data.size() < kSaltBytes + kVerifierBytes + 16) return ReadStatus::malformed;
  Rc4Keys keys;
  keys.hash = HashKind::md5;
  // Five bytes of the password's MD5 and the salt, sixteen times over,
  // hashed again and cut to five bytes.
  Bytes first = digest(HashKind::md5, {crypto::view_of(utf16_of(password))});
  first.resize(5);
  Bytes repeated;
  for (int i = 0; i < 16; ++i) {
    repeated.insert(repeated.end(), first.begin(), first.end());
    repeated.insert(repeated.end(), data.begin(), data.begin() + kSaltBytes);
  }
  keys.base = digest(HashKind::md5, {crypto::view_of(repeated)});
  keys.base.resize(5);
  if (!keys.verify(view_of(data, kSaltBytes, kVerifierBytes), view_of(data, kSaltBytes + kVerifierBytes, 16)))
    return ReadStatus::encrypted;
  out = std::make_unique<Rc4Decryptor>(std::move(keys));
  return ReadStatus::ok;
}

// Excel 2002 and 2003: flags, the header's size, the header (algorithms,
// key size, the provider's name), then the verifier: salt size, salt,
// encrypted verifier, hash size, encrypted SHA-1.
ReadStatus cryptoapi_rc4_decryptor(std::string_view data, std::string_view password,
                                   std::unique_ptr<Decryptor>& out) {
  if (data.size() < 8) return ReadStatus::malformed;
  const std::uint32_t header_size = le32(data, 4);
  constexpr std::size_t kVerifierPart = 4 + kSaltBytes + kVerifierBytes + 4 + 20;
  if (header_size < kCryptoApiHeaderFields || header_size > data.size() - 8 ||
      data.size() - 8 - header_size < kVerifierPart)
    return ReadStatus::malformed;
  const std::string_view header = data.substr(8, header_size);
  const std::string_view verifier = data.substr(8 + header_size);
  const std::uint32_t cipher = le32(header, 8);
  const std::uint32_t hash = le32(header, 12);
  // 0 stands for the provider's default: RC4 with 40-bit keys, SHA-1.
  const std::uint32_t key_bits = le32(header, 16) == 0 ? 40 : le32(header, 16);
  if ((cipher != 0 && cipher != kAlgorithmRc4) || (hash != 0 && hash != kAlgorithmSha1) || key_bits < 40 ||
      key_bits > 128 || key_bits % 8 != 0)
    return ReadStatus::encrypted;
  if (le32(verifier, 0) != kSaltBytes || le32(verifier, 4 + kSaltBytes + kVerifierBytes) != 20)
    return ReadStatus::malformed;
  Rc4Keys keys;
  keys.hash = HashKind::sha1;
  keys.key_bytes = key_bits / 8;
  keys.base = digest(HashKind::sha1, {view_of(verifier, 4, kSaltBytes), crypto::view_of(utf16_of(password))});
  if (!keys.verify(view_of(verifier, 4 + kSaltBytes, kVerifierBytes),
                   view_of(verifier, 4 + kSaltBytes + kVerifierBytes + 4, 20)))
    return ReadStatus::encrypted;
  out = std::make_unique<Rc4Decryptor>(std::move(keys));
  return ReadStatus::ok;
}

ReadStatus make_decryptor(std::string_view data, bool biff5, std::string_view password,
                          std::unique_ptr<Decryptor>& out) {
  if (biff5) return xor_decryptor(data, password, out);
  if (data.size() < 2) return ReadStatus::malformed;
  if (le16(data, 0) == kXorObfuscation) return xor_decryptor(data.substr(2), password, out);
  if (le16(data, 0) != kRc4) return ReadStatus::encrypted;
  if (data.size() < 6) return ReadStatus::malformed;
  const std::uint16_t major = le16(data, 2), minor = le16(data, 4);
  if (major == 1 && minor == 1) return standard_rc4_decryptor(data.substr(6), password, out);
  if (major >= 2 && major <= 4 && minor == 2) return cryptoapi_rc4_decryptor(data.substr(6), password, out);
  return ReadStatus::encrypted;
}

}  // namespace

ReadStatus decrypt_workbook_stream(std::string_view stream, std::string_view password, std::string& plain) {
  RecordReader reader(stream);
  Record record;
  if (!reader.next(record) || record.type != record::kBof || record.data.size() < 2) return ReadStatus::malformed;
  const bool biff5 = le16(record.data, 0) == kBiff5;
  std::optional<Record> file_pass;
  while (!file_pass && reader.next(record))
    if (record.type == record::kFilePass) file_pass = record;
  if (!file_pass) return ReadStatus::malformed;
  std::unique_ptr<Decryptor> decryptor;
  if (const ReadStatus status = make_decryptor(file_pass->data, biff5, password, decryptor); status != ReadStatus::ok)
    return status;

  plain.assign(stream);
  auto* const bytes = reinterpret_cast<std::uint8_t*>(plain.data());
  for (std::size_t at = reader.position(); reader.next(record); at = reader.position()) {
    if (stays_plain(record.type)) continue;
    const std::size_t size = record.data.size();
    // BOUNDSHEET's first four bytes, the offset of its sheet, stay plain.
    const std::size_t skipped = record.type == record::kBoundSheet ? std::min<std::size_t>(size, 4) : 0;
    const std::size_t begin = at + 4 + skipped;
    decryptor->decrypt(begin, size, {bytes + begin, size - skipped});
  }
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
