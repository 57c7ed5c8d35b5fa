#include "firmloader/sha256_sum.h"

#include <openssl/evp.h>

#include <cctype>

#include "base/text_codec.h"

namespace tabulo {
namespace {

constexpr size_t kHexDigits = 64;

bool IsHexDigest(std::string_view text) {
  if (text.size() != kHexDigits) return false;
  for (unsigned char c : text) {
    if (!std::isxdigit(c)) return false;
  }
  return true;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
  static const char* const kHex = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex.push_back(kHex[digest[i] >> 4]);
    hex.push_back(kHex[digest[i] & 15]);
  }
  return hex;
}

std::string Sha256SumLine(std::string_view hex, std::string_view name) {
  return std::string(hex) + "  " + std::string(name) + "\n";
}

std::optional<std::string> Sha256For(std::string_view text, std::string_view name) {
  for (std::string_view line : SplitLines(text)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() < kHexDigits || !IsHexDigest(line.substr(0, kHexDigits))) continue;
    std::string_view rest = line.substr(kHexDigits);
    if (rest.empty()) return Lower(line);
    // "HEX  NAME" for text mode, "HEX *NAME" for binary mode; a path before the name is the publisher's.
    if (rest.size() < 3 || rest[0] != ' ' || (rest[1] != ' ' && rest[1] != '*')) continue;
    std::string_view listed = rest.substr(2);
    size_t slash = listed.find_last_of('/');
    if (slash != std::string_view::npos) listed.remove_prefix(slash + 1);
    if (listed == name) return Lower(line.substr(0, kHexDigits));
  }
  return std::nullopt;
}

}  // namespace tabulo
