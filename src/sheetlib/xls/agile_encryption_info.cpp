#include "sheetlib/xls/agile_encryption_info.h"

#include <expat.h>

#include <charconv>
#include <memory>

namespace sheetlib::xls {

using namespace crypto;

namespace {

// expat joins each element's namespace and local name with this.
constexpr char kSeparator = '|';
constexpr std::string_view kKeyData = "http://schemas.microsoft.com/office/2006/encryption|keyData";
constexpr std::string_view kPasswordKey = "http://schemas.microsoft.com/office/2006/keyEncryptor/password|encryptedKey";

struct ParserFreer {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct Collected {
  XML_Parser parser = nullptr;
  AgileEncryptionInfo& info;
  bool damaged = false;
};

bool read_number(std::string_view text, std::uint32_t& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

// One attribute of the cipher; false for a value that is not what it should
// be. Attributes it does not know are passed over.
bool read_cipher_attribute(std::string_view name, std::string_view value, AgileCipher& cipher) {
  if (name == "saltSize") return read_number(value, cipher.salt_size);
  if (name == "blockSize") return read_number(value, cipher.block_size);
  if (name == "keyBits") return read_number(value, cipher.key_bits);
  if (name == "hashSize") return read_number(value, cipher.hash_size);
  if (name == "cipherAlgorithm") cipher.cipher_algorithm = value;
  if (name == "cipherChaining") cipher.cipher_chaining = value;
  if (name == "hashAlgorithm") cipher.hash_algorithm = value;
  if (name == "saltValue") return decode_base64(value, cipher.salt);
  return true;
}

bool read_password_key_attribute(std::string_view name, std::string_view value, AgileEncryptionInfo& info) {
  if (name == "spinCount") return read_number(value, info.spin_count);
  if (name == "encryptedVerifierHashInput") return decode_base64(value, info.encrypted_verifier_hash_input);
  if (name == "encryptedVerifierHashValue") return decode_base64(value, info.encrypted_verifier_hash_value);
  if (name == "encryptedKeyValue") return decode_base64(value, info.encrypted_key_value);
  return read_cipher_attribute(name, value, info.password_key);
}

void XMLCALL on_start(void* data, const char* element, const char** attributes) {
  auto& collected = *static_cast<Collected*>(data);
  AgileEncryptionInfo& info = collected.info;
  const std::string_view name(element);
  const bool key_data = name == kKeyData && !info.has_key_data;
  const bool password_key = name == kPasswordKey && !info.has_password_key;
  if (!key_data && !password_key) return;
  (key_data ? info.has_key_data : info.has_password_key) = true;
  for (const char** pair = attributes; *pair; pair += 2) {
    const bool read = key_data ? read_cipher_attribute(pair[0], pair[1], info.key_data)
                               : read_password_key_attribute(pair[0], pair[1], info);
    if (!read) collected.damaged = true;
  }
}

// A DOCTYPE could declare entities; nothing here needs one.
void XMLCALL on_doctype(void* data, const char*, const char*, const char*, int) {
  auto& collected = *static_cast<Collected*>(data);
  collected.damaged = true;
  XML_StopParser(collected.parser, XML_FALSE);
}

}  // namespace

ReadStatus read_agile_encryption_info(std::string_view xml, AgileEncryptionInfo& info) {
  info = AgileEncryptionInfo();
  // Some writers pad the stream after the XML.
  while (!xml.empty() && (xml.back() == '\0' || xml.back() == ' ' || xml.back() == '\r' || xml.back() == '\n')) {
    xml.remove_suffix(1);
  }
  const std::unique_ptr<XML_ParserStruct, ParserFreer> parser(XML_ParserCreateNS(nullptr, kSeparator));
  if (!parser) return ReadStatus::out_of_memory;
  Collected collected{parser.get(), info};
  XML_SetUserData(parser.get(), &collected);
  XML_SetStartElementHandler(parser.get(), &on_start);
  XML_SetStartDoctypeDeclHandler(parser.get(), &on_doctype);
  const bool parsed = XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
  if (!parsed || collected.damaged || !info.has_key_data) return ReadStatus::malformed;
  return info.has_password_key ? ReadStatus::ok : ReadStatus::encrypted;
}

}  // namespace sheetlib::xls
