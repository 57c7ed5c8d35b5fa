#pragma once
// Translation of menu texts through the web translation page (the service "page"): language names to the
// service's codes, the request, the cut-out of the answer from the returned page and the decoding of the
// page's escapes.

#include <string>

#include "designer/translate/translator.h"
#include "platform/http_client.h"

namespace tabulo {

inline constexpr const char* kDefaultTranslateBase = "https://translate.google.com";
inline constexpr const char* kAutoDetectMessage =
    "Cant use autoDetect to the language you want to translate.";
inline constexpr const char* kNoConnectionMessage =
    "You need a internet Connection to be translate your text.";

// The service's code for a menu language name: the table's names exactly, a name of one or two characters
// as a code already, any other name "auto".
std::string LanguageCode(const std::string& name);

// Targets whose translations the service gives better from Dutch: the source is replaced by "dutch".
bool ForcesDutchSource(const std::string& target_name);

struct TranslatorOptions {
  std::string base_address = kDefaultTranslateBase;
  HttpOptions http = PageHttpOptions();
  // The page's requests: the agent name the page has always been asked with.
  static HttpOptions PageHttpOptions() {
    HttpOptions http;
    http.user_agent = "DIDidOzer";
    return http;
  }
};

// Translates `text` from the language named `source_name` into `target_name`. `source_name` becomes "dutch"
// when the target forces it. A failure never returns a text to store as a translation: no connection, no
// answer in time and an answer beyond the reply cap each say so.
Translation TranslateUnicode(const std::string& text, std::string& source_name,
                             const std::string& target_name, const TranslatorOptions& options = {});

// The address of one request: base + "/translate_t?sl=..&tl=..&text=..", the text percent-encoded as UTF-8.
std::string TranslateAddress(const std::string& base, const std::string& sl, const std::string& tl,
                             const std::string& text);

// The text between the page's result markers; nothing when a marker is missing.
bool CutTranslation(const std::string& page, std::string& extract);

// The page's escapes turned back into text, in the order the service's pages need.
std::string DecodeTranslation(std::string text);

}  // namespace tabulo
