#pragma once
// Translation of menu texts through the web translation page: language names to the service's codes, the
// request, the cut-out of the answer from the returned page and the decoding of the page's escapes.

#include <chrono>
#include <string>

namespace tabulo {

inline constexpr const char* kDefaultTranslateBase = "https://translate.google.com";
inline constexpr const char* kAutoDetectMessage =
    "Cant use autoDetect to the language you want to translate.";
inline constexpr const char* kNoConnectionMessage =
    "You need a internet Connection to be translate your text.";
inline constexpr const char* kCouldNotTranslateMessage = "Could  not  translate  the  text,  sorry ";

// The service's code for a menu language name: the table's names exactly, a name of one or two characters
// as a code already, any other name "auto".
std::string LanguageCode(const std::string& name);

// Targets whose translations the service gives better from Dutch: the source is replaced by "dutch".
bool ForcesDutchSource(const std::string& target_name);

// The translation page's address: $TABULO_TRANSLATE_URL, else the configured address, else the default.
std::string TranslateBaseAddress(const std::string& configured = "");

struct Translation {
  enum class Status {
    kOk,
    kAutoTarget,    // the target has no code; nothing was sent
    kNoConnection,  // the service could not be reached
    kFailed,        // the service answered, but with no translation in its page
  };
  Status status = Status::kFailed;
  std::string text;     // the translation when kOk
  std::string message;  // what to tell the user otherwise ("" for kFailed: the caller words it)
  bool ok() const { return status == Status::kOk; }
};

struct TranslatorOptions {
  std::string base_address = kDefaultTranslateBase;
  std::chrono::milliseconds connect_timeout{10000};
  std::chrono::milliseconds total_timeout{20000};
};

// Translates `text` from the language named `source_name` into `target_name`. `source_name` becomes "dutch"
// when the target forces it. A failure never returns a text to store as a translation.
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
