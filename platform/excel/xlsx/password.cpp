// Sheet passwords: Excel's legacy 16-bit verifier and the hashed form
// (ISO/IEC 29500 agile: iterated hash of salt + UTF-16LE password).
#include <openssl/evp.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "excel/xlsx/internal.h"

namespace xlsx {

std::uint16_t LegacyPasswordHash(std::u16string_view password) {
  std::uint16_t hash = 0;
  for (std::size_t i = password.size(); i-- > 0;) {
    hash = static_cast<std::uint16_t>(((hash >> 14) & 0x01) | ((hash << 1) & 0x7FFF));
    hash ^= static_cast<std::uint16_t>(password[i] & 0xFFFF);
  }
  hash = static_cast<std::uint16_t>(((hash >> 14) & 0x01) | ((hash << 1) & 0x7FFF));
  hash ^= static_cast<std::uint16_t>(password.size() & 0xFFFF);
  hash ^= 0xCE4B;
  return hash;
}

namespace {
const EVP_MD* Digest(std::string_view name) {
  std::string n;
  for (char c : name)
    if (c != '-') n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (n == "SHA512") return EVP_sha512();
  if (n == "SHA384") return EVP_sha384();
  if (n == "SHA256") return EVP_sha256();
  if (n == "SHA1") return EVP_sha1();
  if (n == "MD5") return EVP_md5();
  return nullptr;
}

std::string IteratedHash(const EVP_MD* md, std::u16string_view password, const std::string& salt,
                         std::uint32_t spin_count) {
  std::string pw;
  for (char16_t c : password) {
    pw += static_cast<char>(c & 0xFF);
    pw += static_cast<char>((c >> 8) & 0xFF);
  }
  unsigned char h[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_DigestInit_ex(ctx, md, nullptr);
  EVP_DigestUpdate(ctx, salt.data(), salt.size());
  EVP_DigestUpdate(ctx, pw.data(), pw.size());
  EVP_DigestFinal_ex(ctx, h, &len);
  for (std::uint32_t i = 0; i < spin_count; ++i) {
    unsigned char it[4] = {static_cast<unsigned char>(i & 0xFF), static_cast<unsigned char>((i >> 8) & 0xFF),
                           static_cast<unsigned char>((i >> 16) & 0xFF), static_cast<unsigned char>((i >> 24) & 0xFF)};
    EVP_DigestInit_ex(ctx, md, nullptr);
    EVP_DigestUpdate(ctx, h, len);
    EVP_DigestUpdate(ctx, it, 4);
    EVP_DigestFinal_ex(ctx, h, &len);
  }
  EVP_MD_CTX_free(ctx);
  return Base64Encode(std::string_view(reinterpret_cast<char*>(h), len));
}
}  // namespace

std::string Sha512PasswordHash(std::u16string_view password, const std::string& salt_base64,
                               std::uint32_t spin_count) {
  std::string salt;
  if (!Base64Decode(salt_base64, salt)) return {};
  return IteratedHash(EVP_sha512(), password, salt, spin_count);
}

bool Protection::Verify(std::string_view password_utf8) const {
  std::u16string pw = Utf8ToUtf16(password_utf8);
  if (!hash_value.empty()) {
    const EVP_MD* md = Digest(algorithm_name.empty() ? "SHA-512" : algorithm_name);
    std::string salt;
    if (!md || spin_count > 10'000'000 || !Base64Decode(salt_value, salt)) return false;
    return IteratedHash(md, pw, salt, spin_count) == hash_value;
  }
  if (!legacy_hash.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", LegacyPasswordHash(pw));
    return strcasecmp(hex, legacy_hash.c_str()) == 0 ||
           (legacy_hash.size() < 4 && std::strtoul(legacy_hash.c_str(), nullptr, 16) == LegacyPasswordHash(pw));
  }
  return true;
}

}  // namespace xlsx
