#include "sheetlib/xls/encrypted_package.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "sheetlib/xls/agile_encryption_info.h"
#include "sheetlib/crypto/hashes_and_ciphers.h"
#include "sheetlib/xls/compound_file.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

using namespace crypto;

namespace {

constexpr std::string_view kDefaultPassword = "VelvetSweatshop";
constexpr std::uint64_t kMaxInfoBytes = std::uint64_t{1} << 20;  // the XML of agile encryption is a few kB
constexpr std::uint32_t kMaxSpinCount = 10'000'000;             // Office spins 100,000 times
constexpr std::uint32_t kStandardSpinCount = 50'000;
constexpr std::size_t kAesBlockBytes = 16;
constexpr std::size_t kSegmentBytes = 4096;  // agile encryption restarts its chaining every 4,096 bytes
constexpr std::uint64_t kPackageSizeBytes = 8;

// EncryptionInfo's flags.
constexpr std::uint32_t kCryptoApi = 0x04;
constexpr std::uint32_t kExternal = 0x10;  // another provider's encryption
constexpr std::uint32_t kAes = 0x20;

// The algorithm identifiers of standard encryption.
constexpr std::uint32_t kAes128 = 0x660E;
constexpr std::uint32_t kAes192 = 0x660F;
constexpr std::uint32_t kAes256 = 0x6610;
constexpr std::uint32_t kSha1 = 0x8004;

// What the key derived from agile encryption's password is for.
constexpr std::uint8_t kVerifierInputBlock[] = {0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79};
constexpr std::uint8_t kVerifierValueBlock[] = {0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e};
constexpr std::uint8_t kPackageKeyBlock[] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};

// How the package is to be decrypted once the password has been found right.
struct PackageKey {
  Bytes key;
  bool agile = false;
  HashKind hash = HashKind::sha1;  // agile: of the segments' IVs
  Bytes salt;                      // agile: of the segments' IVs
};

ByteView bytes_of(std::string_view bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

std::array<std::uint8_t, 4> le32_bytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes password_bytes() {
  Bytes utf16;
  for (const char c : kDefaultPassword) utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
  return utf16;
}

// H(salt + password), then `spins` times H(iteration + last hash).
Bytes spun_hash(HashKind kind, ByteView salt, std::uint32_t spins) {
  const Bytes password = password_bytes();
  Bytes hash = digest(kind, {salt, view_of(password)});
  for (std::uint32_t i = 0; i < spins; ++i) {
    const auto iteration = le32_bytes(i);
    hash = digest(kind, {iteration, view_of(hash)});
  }
  return hash;
}

// Cut to `size` bytes, or made up to it with 0x36, as keys and IVs are.
Bytes fitted(Bytes bytes, std::size_t size) {
  bytes.resize(size, 0x36);
  return bytes;
}

bool decrypts_to(ByteView key, ByteView iv, ByteView encrypted, std::size_t wanted, Bytes& out) {
  if (encrypted.size() < wanted || encrypted.size() % kAesBlockBytes != 0) return false;
  out.assign(encrypted.begin(), encrypted.end());
  if (!(iv.empty() ? decrypt_aes_ecb(key, out) : decrypt_aes_cbc(key, iv, out))) return false;
  out.resize(wanted);
  return true;
}

// Standard encryption: after version and flags, the header (its size, then
// flags, size of extra data, cipher, hash, key bits, provider type, two
// reserved words and the provider's name) and the verifier.
ReadStatus standard_key(std::string_view info, std::uint32_t flags, PackageKey& out) {
  if ((flags & kExternal) != 0) return ReadStatus::encrypted;
  if ((flags & kCryptoApi) == 0) return ReadStatus::malformed;
  if ((flags & kAes) == 0) return ReadStatus::encrypted;  // RC4 is for binary documents
  if (info.size() < 12) return ReadStatus::malformed;
  const std::uint32_t header_size = xls::le32(info, 8);
  constexpr std::size_t kVerifierBytes = 4 + 16 + 16 + 4 + 32;
  if (header_size < 32 || header_size > info.size() - 12 || info.size() - 12 - header_size < kVerifierBytes) {
    return ReadStatus::malformed;
  }
  const std::string_view header = info.substr(12, header_size);
  const std::string_view verifier = info.substr(12 + header_size, kVerifierBytes);
  std::uint32_t key_bits = 0;
  switch (xls::le32(header, 8)) {
    case 0:  // AES-128 when the flags say AES
    case kAes128: key_bits = 128; break;
    case kAes192: key_bits = 192; break;
    case kAes256: key_bits = 256; break;
    default: return ReadStatus::encrypted;
  }
  const std::uint32_t hash_id = xls::le32(header, 12);
  if ((hash_id != 0 && hash_id != kSha1) || xls::le32(header, 16) != key_bits) return ReadStatus::malformed;
  if (xls::le32(verifier, 0) != 16 || xls::le32(verifier, 36) != 20) return ReadStatus::malformed;

  const Bytes hash = spun_hash(HashKind::sha1, bytes_of(verifier.substr(4, 16)), kStandardSpinCount);
  const Bytes final_hash = digest(HashKind::sha1, {view_of(hash), le32_bytes(0)});
  // The key: SHA-1 of 64 bytes of 0x36 with the hash laid over them, then
  // the same with 0x5C, as many of those 40 bytes as the key has.
  Bytes inner(64, 0x36), outer(64, 0x5C);
  for (std::size_t i = 0; i < final_hash.size(); ++i) {
    inner[i] ^= final_hash[i];
    outer[i] ^= final_hash[i];
  }
  Bytes key = digest(HashKind::sha1, {view_of(inner)});
  const Bytes second = digest(HashKind::sha1, {view_of(outer)});
  key.insert(key.end(), second.begin(), second.end());
  key.resize(key_bits / 8);

  Bytes verifier_input, verifier_hash;
  if (!decrypts_to(key, {}, bytes_of(verifier.substr(20, 16)), 16, verifier_input) ||
      !decrypts_to(key, {}, bytes_of(verifier.substr(40, 32)), 20, verifier_hash)) {
    return ReadStatus::malformed;
  }
  if (digest(HashKind::sha1, {view_of(verifier_input)}) != verifier_hash) return ReadStatus::encrypted;
  out.key = std::move(key);
  return ReadStatus::ok;
}

// The cipher of agile encryption, checked: encrypted for what is known but
// not read here, malformed for sizes that cannot be.
ReadStatus check_cipher(const AgileCipher& cipher, HashKind& hash) {
  if (cipher.cipher_algorithm != "AES" || cipher.cipher_chaining != "ChainingModeCBC") return ReadStatus::encrypted;
  if (cipher.hash_algorithm == "SHA1" || cipher.hash_algorithm == "SHA-1") {
    hash = HashKind::sha1;
  } else if (cipher.hash_algorithm == "SHA512" || cipher.hash_algorithm == "SHA-512") {
    hash = HashKind::sha512;
  } else {
    return ReadStatus::encrypted;
  }
  const bool key_size_known = cipher.key_bits == 128 || cipher.key_bits == 192 || cipher.key_bits == 256;
  if (!key_size_known || cipher.block_size != kAesBlockBytes || cipher.hash_size != digest_size(hash) ||
      cipher.salt_size == 0 || cipher.salt_size > 65536 || cipher.salt.size() != cipher.salt_size) {
    return ReadStatus::malformed;
  }
  return ReadStatus::ok;
}

ReadStatus agile_key(std::string_view info, PackageKey& out) {
  AgileEncryptionInfo agile;
  if (const ReadStatus status = read_agile_encryption_info(info.substr(8), agile); status != ReadStatus::ok) {
    return status;
  }
  HashKind package_hash, password_hash;
  if (const ReadStatus status = check_cipher(agile.key_data, package_hash); status != ReadStatus::ok) return status;
  const AgileCipher& password = agile.password_key;
  if (const ReadStatus status = check_cipher(password, password_hash); status != ReadStatus::ok) return status;
  if (agile.spin_count > kMaxSpinCount) return ReadStatus::malformed;

  const Bytes hash = spun_hash(password_hash, view_of(password.salt), agile.spin_count);
  const auto key_for = [&](ByteView block) {
    return fitted(digest(password_hash, {view_of(hash), block}), password.key_bits / 8);
  };
  const Bytes iv = fitted(password.salt, kAesBlockBytes);
  Bytes verifier_input, verifier_hash, package_key;
  if (!decrypts_to(view_of(key_for(kVerifierInputBlock)), view_of(iv),
                   view_of(agile.encrypted_verifier_hash_input), password.salt_size, verifier_input) ||
      !decrypts_to(view_of(key_for(kVerifierValueBlock)), view_of(iv),
                   view_of(agile.encrypted_verifier_hash_value), password.hash_size, verifier_hash)) {
    return ReadStatus::malformed;
  }
  if (digest(password_hash, {view_of(verifier_input)}) != verifier_hash) return ReadStatus::encrypted;
  if (!decrypts_to(view_of(key_for(kPackageKeyBlock)), view_of(iv),
                   view_of(agile.encrypted_key_value), agile.key_data.key_bits / 8, package_key)) {
    return ReadStatus::malformed;
  }
  out.key = std::move(package_key);
  out.agile = true;
  out.hash = package_hash;
  out.salt = agile.key_data.salt;
  return ReadStatus::ok;
}

// The key of the package, once the default password has proved right.
ReadStatus package_key(const xls::CompoundFile& file, PackageKey& key) {
  // Rights management keeps the package's key in a storage of its own, and
  // no EncryptionInfo.
  if (!file.has_stream("EncryptionInfo")) return ReadStatus::encrypted;
  std::string copy;
  std::string_view info;
  if (const ReadStatus status = file.read_stream("EncryptionInfo", kMaxInfoBytes, copy, info);
      status != ReadStatus::ok) {
    return status == ReadStatus::over_limit ? ReadStatus::malformed : status;
  }
  if (info.size() < 8) return ReadStatus::malformed;
  const std::uint16_t major = xls::le16(info, 0), minor = xls::le16(info, 2);
  const std::uint32_t flags = xls::le32(info, 4);
  if (major == 4 && minor == 4) return agile_key(info, key);
  if (major >= 2 && major <= 4 && minor == 2) return standard_key(info, flags, key);
  // Extensible encryption (another provider's, 3.3 and 4.3) and versions
  // not known: encrypted in a way not read here.
  return ReadStatus::encrypted;
}

// Decrypts the whole blocks of the package in place: in one run (standard),
// or segment by segment, each with the IV made from the key data's salt and
// the segment's number (agile).
bool decrypt_in_place(const PackageKey& key, std::span<std::uint8_t> data) {
  if (!key.agile) return decrypt_aes_ecb(view_of(key.key), data);
  for (std::size_t at = 0, segment = 0; at < data.size(); at += kSegmentBytes, ++segment) {
    const auto number = le32_bytes(static_cast<std::uint32_t>(segment));
    const Bytes iv = fitted(digest(key.hash, {view_of(key.salt), number}), kAesBlockBytes);
    const std::size_t length = std::min(kSegmentBytes, data.size() - at);
    if (!decrypt_aes_cbc(view_of(key.key), view_of(iv), data.subspan(at, length))) return false;
  }
  return true;
}

}  // namespace

bool holds_encrypted_package(std::string_view file_bytes) {
  xls::CompoundFile file;
  return file.open(file_bytes) == ReadStatus::ok && file.has_stream("EncryptedPackage");
}

ReadStatus decrypt_package(std::string_view file_bytes, const ReadLimits& limits, std::string& package) {
  xls::CompoundFile file;
  if (const ReadStatus status = file.open(file_bytes); status != ReadStatus::ok) return status;
  PackageKey key;
  if (const ReadStatus status = package_key(file, key); status != ReadStatus::ok) return status;

  std::string copy;
  std::string_view stream;
  const std::uint64_t most = limits.max_total_inflated_bytes;
  // The stream may hold the size and a last segment's padding beyond the package.
  const std::uint64_t most_stream = std::max(most, most + kPackageSizeBytes + kSegmentBytes);
  if (const ReadStatus status = file.read_stream("EncryptedPackage", most_stream, copy, stream);
      status != ReadStatus::ok) {
    return status;
  }
  if (stream.size() < kPackageSizeBytes) return ReadStatus::malformed;
  const std::uint64_t size = xls::le64(stream.data());
  if (size > most) return ReadStatus::over_limit;
  const std::uint64_t whole_blocks = (size + kAesBlockBytes - 1) / kAesBlockBytes * kAesBlockBytes;
  if (whole_blocks > stream.size() - kPackageSizeBytes) return ReadStatus::malformed;
  package.assign(stream.substr(kPackageSizeBytes, whole_blocks));
  copy = std::string();
  std::span<std::uint8_t> data(reinterpret_cast<std::uint8_t*>(package.data()), package.size());
  if (!decrypt_in_place(key, data)) return ReadStatus::malformed;
  package.resize(size);
  // The password was right; a wrong package key or damaged bytes give no zip.
  if (!package.starts_with("PK")) return ReadStatus::malformed;
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
