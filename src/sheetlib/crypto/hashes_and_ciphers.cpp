#include "sheetlib/crypto/hashes_and_ciphers.h"

#include <tomcrypt.h>

namespace sheetlib::crypto {

namespace {

const ltc_hash_descriptor& descriptor_of(HashKind kind) {
  switch (kind) {
    case HashKind::md5: return md5_desc;
    case HashKind::sha1: return sha1_desc;
    case HashKind::sha512: break;
  }
  return sha512_desc;
}

bool aes_key_size(ByteView key) { return key.size() == 16 || key.size() == 24 || key.size() == 32; }

// Runs the mode over the data in place; libtomcrypt's modes allow the same
// buffer for input and output.
template <typename Start, typename Run, typename Done>
bool run_mode(ByteView key, std::span<std::uint8_t> data, Start start, Run run, Done done) {
  if (!aes_key_size(key) || data.size() % 16 != 0) return false;
  if (data.empty()) return true;
  // Registered once, on the first use; libtomcrypt's table is not guarded.
  static const int cipher = register_cipher(&aes_desc);
  if (cipher < 0) return false;
  auto state = start(cipher);
  if (!state) return false;
  const bool ok = run(*state, data) == CRYPT_OK;
  done(*state);
  return ok;
}

bool ecb(ByteView key, std::span<std::uint8_t> data, bool decrypt) {
  return run_mode(
      key, data,
      [&](int cipher) {
        auto state = std::make_unique<symmetric_ECB>();
        if (ecb_start(cipher, key.data(), static_cast<int>(key.size()), 0, state.get()) != CRYPT_OK) state.reset();
        return state;
      },
      [&](symmetric_ECB& state, std::span<std::uint8_t> bytes) {
        return decrypt ? ecb_decrypt(bytes.data(), bytes.data(), bytes.size(), &state)
                       : ecb_encrypt(bytes.data(), bytes.data(), bytes.size(), &state);
      },
      [](symmetric_ECB& state) { ecb_done(&state); });
}

bool cbc(ByteView key, ByteView iv, std::span<std::uint8_t> data, bool decrypt) {
  if (iv.size() != 16) return false;
  return run_mode(
      key, data,
      [&](int cipher) {
        auto state = std::make_unique<symmetric_CBC>();
        if (cbc_start(cipher, iv.data(), key.data(), static_cast<int>(key.size()), 0, state.get()) != CRYPT_OK) {
          state.reset();
        }
        return state;
      },
      [&](symmetric_CBC& state, std::span<std::uint8_t> bytes) {
        return decrypt ? cbc_decrypt(bytes.data(), bytes.data(), bytes.size(), &state)
                       : cbc_encrypt(bytes.data(), bytes.data(), bytes.size(), &state);
      },
      [](symmetric_CBC& state) { cbc_done(&state); });
}

}  // namespace

std::size_t digest_size(HashKind kind) { return descriptor_of(kind).hashsize; }

Bytes digest(HashKind kind, std::initializer_list<ByteView> pieces) {
  const ltc_hash_descriptor& hash = descriptor_of(kind);
  hash_state state;
  hash.init(&state);
  for (const ByteView piece : pieces) {
    if (!piece.empty()) hash.process(&state, piece.data(), static_cast<unsigned long>(piece.size()));
  }
  Bytes out(hash.hashsize);
  hash.done(&state, out.data());
  return out;
}

struct Rc4::State {
  rc4_state rc4;
};

Rc4::Rc4(ByteView key) {
  if (key.size() < 5 || key.size() > 256) return;
  state_ = std::make_unique<State>();
  if (rc4_stream_setup(&state_->rc4, key.data(), static_cast<unsigned long>(key.size())) != CRYPT_OK) state_.reset();
}

Rc4::~Rc4() {
  if (state_) rc4_stream_done(&state_->rc4);
}

void Rc4::apply(std::span<std::uint8_t> data) {
  if (state_ && !data.empty()) {
    rc4_stream_crypt(&state_->rc4, data.data(), static_cast<unsigned long>(data.size()), data.data());
  }
}

void Rc4::skip(std::size_t count) {
  std::uint8_t thrown[256];
  while (state_ && count > 0) {
    const std::size_t step = count < sizeof thrown ? count : sizeof thrown;
    rc4_stream_keystream(&state_->rc4, thrown, static_cast<unsigned long>(step));
    count -= step;
  }
}

bool decrypt_aes_ecb(ByteView key, std::span<std::uint8_t> data) { return ecb(key, data, true); }
bool encrypt_aes_ecb(ByteView key, std::span<std::uint8_t> data) { return ecb(key, data, false); }
bool decrypt_aes_cbc(ByteView key, ByteView iv, std::span<std::uint8_t> data) { return cbc(key, iv, data, true); }
bool encrypt_aes_cbc(ByteView key, ByteView iv, std::span<std::uint8_t> data) { return cbc(key, iv, data, false); }

bool decode_base64(std::string_view text, Bytes& out) {
  // libtomcrypt's relaxed decoder passes over what is not base64, white
  // space among it; three bytes come of every four characters.
  unsigned long size = static_cast<unsigned long>(text.size() / 4 * 3 + 3);
  out.assign(size, 0);
  if (base64_decode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned long>(text.size()),
                    out.data(), &size) != CRYPT_OK) {
    out.clear();
    return false;
  }
  out.resize(size);
  return true;
}

}  // namespace sheetlib::crypto
