#include "designer/translate/web_translator.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "base/text_codec.h"
#include "designer/translate/translation_services.h"

namespace tabulo {
namespace {

constexpr std::array<std::pair<const char*, const char*>, 24> kCodes = {{
    {"Urdu", "ur"},      {"Persian", "fa"},  {"Arabic", "ar"},    {"bulgarsk", "bg"},    {"danish", "da"},
    {"English", "en"},   {"finsk", "fi"},    {"Frances", "fr"},   {"greek", "el"},       {"Hindi", "hi"},
    {"dutch", "nl"},     {"Italiano", "it"}, {"japansk", "ja"},   {"kinisisk", "zh-CN"}, {"koreansk", "ko"},
    {"norwegian", "no"}, {"polish", "pl"},   {"Portugues", "pt"}, {"romanian", "ro"},    {"russian", "ru"},
    {"Espanol", "es"},   {"swedish", "sv"},  {"czech", "cs"},     {"Deutsch", "de"},
}};

constexpr std::array<const char*, 9> kDutchSourceTargets = {
    "Arabic", "bulgarsk", "czech", "greek", "japansk", "kinisisk", "russian", "Urdu", "Persian"};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  std::string out;
  size_t start = 0;
  for (size_t found; (found = text.find(from, start)) != std::string::npos; start = found + from.size()) {
    out.append(text, start, found - start).append(to);
  }
  if (start == 0) return;
  out.append(text, start, std::string::npos);
  text = std::move(out);
}

// Every "&#" digits ";" becomes the character it names; a UTF-16 pair written as two references becomes one
// character, and anything no character can be is left as it stands.
std::string DecodeNumericReferences(const std::string& text) {
  std::string out;
  size_t i = 0;
  auto reference_at = [&](size_t pos, size_t& end) -> long {
    if (text.compare(pos, 2, "&#") != 0) return -1;
    size_t digits = pos + 2;
    while (digits < text.size() && digits - pos < 10 && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == pos + 2 || digits >= text.size() || text[digits] != ';') return -1;
    end = digits + 1;
    return std::strtol(text.c_str() + pos + 2, nullptr, 10);
  };
  while (i < text.size()) {
    size_t end = 0;
    long code = reference_at(i, end);
    if (code >= 0xD800 && code <= 0xDBFF) {
      size_t low_end = 0;
      long low = reference_at(end, low_end);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        i = low_end;
        continue;
      }
    }
    if (code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
      AppendUtf8(out, static_cast<char32_t>(code));
      i = end;
      continue;
    }
    out.push_back(text[i++]);
  }
  return out;
}

// The page's text: UTF-8 as most pages are today, else the page is taken as Windows-1252.
std::string PageText(const std::string& body) {
  return IsValidUtf8(body) ? body : DecodeWindows1252(body);
}

}  // namespace

std::string LanguageCode(const std::string& name) {
  if (name.size() <= 2) return name;
  for (const auto& [language, code] : kCodes) {
    if (name == language) return code;
  }
  return "auto";
}

bool ForcesDutchSource(const std::string& target_name) {
  for (const char* target : kDutchSourceTargets) {
    if (target_name == target) return true;
  }
  return false;
}

std::string TranslateAddress(const std::string& base, const std::string& sl, const std::string& tl,
                             const std::string& text) {
  // Every byte but the unreserved ones is percent-encoded, so "&", "#", "+" and "%" in a menu text stay text
  // instead of ending or changing the query.
  return JoinUrl(base, "/translate_t") + "?sl=" + sl + "&tl=" + tl + "&text=" + PercentEncode(text);
}

bool CutTranslation(const std::string& page, std::string& extract) {
  size_t p1 = page.find("result_box");
  if (p1 == std::string::npos) return false;
  size_t p2 = page.find("span title=", p1);
  if (p2 == std::string::npos) return false;
  size_t p3 = page.find("\">", p2);
  if (p3 == std::string::npos) return false;
  size_t p4 = page.find("</span>", p3);
  if (p4 == std::string::npos) return false;
  extract = page.substr(p3 + 2, p4 - p3 - 2);
  return true;
}

std::string DecodeTranslation(std::string text) {
  ReplaceAll(text, " &lt;br&gt;", "\r\n");
  ReplaceAll(text, "&lt;", "<");
  ReplaceAll(text, "/&gt;", ">");
  // Bare LFs become CR LF; one that already follows a CR (as the line breaks made just above do) is left
  // alone, or every such break would gain a stray CR.
  ReplaceAll(text, "\r\n", "\n");
  ReplaceAll(text, "\n", "\r\n");
  ReplaceAll(text, "&gt;", ">");
  ReplaceAll(text, "&amp;", "&");
  ReplaceAll(text, "&amp;", "&");
  ReplaceAll(text, "#8212;", "-");
  ReplaceAll(text, "\xc3\x83\xc2\xa6", "\xc3\xa6");  // "Ã¦" -> "æ"
  ReplaceAll(text, "\xc3\x83\xc2\xb8", "\xc3\xb8");  // "Ã¸" -> "ø"
  ReplaceAll(text, "\xc3\x83\xc2\xa5", "\xc3\xa5");  // "Ã¥" -> "å"
  ReplaceAll(text, "\xc3\xa2\xe2\x80\xa0\xc2\x90\xc3\x83\xe2\x80\xa0l", "\xc3\xa6");
  ReplaceAll(text, "%C3%A6", "\xc3\xa6");
  ReplaceAll(text, "\xc2\xb6", "\xc5\x93");  // "¶" -> "œ"
  ReplaceAll(text, "\xc2\xb1", "\xc2\xb9");  // "±" -> "¹"
  ReplaceAll(text, "&#347;", "\xc5\x93");
  ReplaceAll(text, "\"\"", "\"");
  text = DecodeNumericReferences(text);
  ReplaceAll(text, "<br>", "\r\n");
  return text;
}

Translation TranslateUnicode(const std::string& text, std::string& source_name,
                             const std::string& target_name, const TranslatorOptions& options) {
  if (ForcesDutchSource(target_name)) source_name = "dutch";
  std::string tl = LanguageCode(target_name);
  if (tl == "auto") return {Translation::Status::kAutoTarget, "", kAutoDetectMessage};
  std::string address = TranslateAddress(options.base_address, LanguageCode(source_name), tl, text);

  HttpReply reply = HttpGet(address, options.http);
  if (reply.outcome == HttpReply::Outcome::kNoConnection) {
    return {Translation::Status::kNoConnection, "", kNoConnectionMessage};
  }
  if (!reply.ok()) return RequestFailure(reply, options.base_address, options.http);
  std::string extract;
  if (reply.status >= 400 || !CutTranslation(PageText(reply.body), extract))
    return {Translation::Status::kFailed, "", ""};
  return {Translation::Status::kOk, DecodeTranslation(extract), ""};
}

}  // namespace tabulo
