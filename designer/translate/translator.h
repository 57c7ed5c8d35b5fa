#pragma once
// What every translation service answers, and the one interface the windows, the command line and the menu
// translation ask a service through. The services themselves are in translation_services.h.

#include <atomic>
#include <string>

namespace tabulo {

inline constexpr const char* kCouldNotTranslateMessage = "Could  not  translate  the  text,  sorry ";

struct Translation {
  enum class Status {
    kOk,
    kAutoTarget,       // the page client: the target has no code; nothing was sent
    kUnknownLanguage,  // a language name no service code belongs to; nothing was sent
    kNoConnection,     // the service could not be reached
    kTimeout,          // the service did not answer in time
    kRefusedPair,      // the service has no translation between these two languages
    kCancelled,        // the caller gave up waiting
    kFailed,           // the service answered, but with no translation
  };
  Status status = Status::kFailed;
  std::string text;     // the translation when kOk
  std::string message;  // what to tell the user otherwise ("" for a bare kFailed: the caller words it)
  bool ok() const { return status == Status::kOk; }
  // Failures after which no further request to the same service can do better: stop asking.
  bool ServiceUnusable() const { return status == Status::kNoConnection || status == Status::kTimeout; }
};

// One translation: the text, the menu's names of its language and of the wanted one. Implementations are
// called from worker threads, several at a time, and must allow that. `cancel`, when given and set, makes a
// request under way end at once as kCancelled.
class TextTranslator {
 public:
  virtual ~TextTranslator() = default;
  virtual Translation Translate(const std::string& text, const std::string& source_name,
                                const std::string& target_name,
                                const std::atomic<bool>* cancel = nullptr) = 0;
  // Why the two names cannot be translated between at all, before anything is sent; "" when they can.
  virtual std::string RefusedNames(const std::string& source_name, const std::string& target_name) const = 0;
};

}  // namespace tabulo
