// The library calls are wired the right way round: each against the
// published test vector of its standard (FIPS 180, RFC 1321, FIPS 197,
// SP 800-38A), and each mode's decryption undoing its encryption.
#include "sheetlib/crypto/hashes_and_ciphers.h"

#include <gtest/gtest.h>

#include <string>

namespace sheetlib::crypto {
namespace {

Bytes from_hex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

Bytes from_text(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(HashesAndCiphers, DigestsMatchPublishedVectors) {
  const Bytes abc = from_text("abc");
  const Bytes a = from_text("a"), bc = from_text("bc");
  EXPECT_EQ(digest(HashKind::md5, {view_of(abc)}), from_hex("900150983cd24fb0d6963f7d28e17f72"));
  EXPECT_EQ(digest(HashKind::sha1, {view_of(a), view_of(bc)}), from_hex("a9993e364706816aba3e25717850c26c9cd0d89d"));
  EXPECT_EQ(digest(HashKind::sha512, {view_of(abc)}),
            from_hex("ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                     "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"));
  EXPECT_EQ(digest_size(HashKind::sha512), 64u);
}

TEST(HashesAndCiphers, Rc4StreamsOnAcrossCallsAndSkips) {
  const Bytes key = from_text("Secret");
  Bytes text = from_text("Attack at dawn");
  Rc4 whole(view_of(key));
  whole.apply(text);
  EXPECT_EQ(text, from_hex("45a01f645fc35b383552544b9bf5"));

  Bytes tail(text.begin() + 6, text.end());
  Rc4 skipping(view_of(key));
  skipping.skip(6);
  skipping.apply(tail);
  EXPECT_EQ(tail, from_text(" at dawn"));

  EXPECT_FALSE(Rc4(view_of(from_text("Key"))).keyed());
}

TEST(HashesAndCiphers, AesModesMatchVectorsAndRoundTrip) {
  const Bytes key = from_hex("000102030405060708090a0b0c0d0e0f");
  Bytes block = from_hex("00112233445566778899aabbccddeeff");
  ASSERT_TRUE(encrypt_aes_ecb(view_of(key), block));
  EXPECT_EQ(block, from_hex("69c4e0d86a7b0430d8cdb78070b4c55a"));
  ASSERT_TRUE(decrypt_aes_ecb(view_of(key), block));
  EXPECT_EQ(block, from_hex("00112233445566778899aabbccddeeff"));

  const Bytes cbc_key = from_hex("2b7e151628aed2a6abf7158809cf4f3c");
  const Bytes iv = from_hex("000102030405060708090a0b0c0d0e0f");
  Bytes cipher = from_hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
  ASSERT_TRUE(decrypt_aes_cbc(view_of(cbc_key), view_of(iv), cipher));
  EXPECT_EQ(cipher, from_hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"));

  Bytes odd(15);
  EXPECT_FALSE(decrypt_aes_ecb(view_of(key), odd));
  EXPECT_FALSE(decrypt_aes_cbc(view_of(from_hex("00")), view_of(iv), block));
}

}  // namespace
}  // namespace sheetlib::crypto
