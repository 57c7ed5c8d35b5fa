#include "designer/translate/translation_services.h"

#include <sys/stat.h>

#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "base/environment.h"
#include "base/files.h"
#include "designer/translate/language_names.h"
#include "designer/translate/web_translator.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

using json = nlohmann::json;

std::string Seconds(std::chrono::milliseconds duration) {
  return std::to_string((duration.count() + 999) / 1000);
}

// A JSON answer, or nothing when the body is not JSON.
std::optional<json> JsonOf(const std::string& body) {
  json parsed = json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

std::string StringField(const json& object, const char* name) {
  if (!object.is_object()) return {};
  auto found = object.find(name);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

Translation Failed(std::string message) {
  return {Translation::Status::kFailed, "", std::move(message)};
}

std::string NamesPair(const std::string& source_name, const std::string& target_name) {
  return "from " + source_name + " to " + target_name;
}

Translation RefusedPair(const std::string& base, const std::string& source_name,
                        const std::string& target_name) {
  return {Translation::Status::kRefusedPair, "",
          "The translation service at " + base + " cannot translate " + NamesPair(source_name, target_name) +
              "."};
}

std::string RefusedKnownNames(const std::string& source_name, const std::string& target_name) {
  if (!LanguageOf(source_name)) return UnknownLanguageMessage(source_name);
  if (!LanguageOf(target_name)) return UnknownLanguageMessage(target_name);
  return {};
}

// ---- The services with an API: what Apertium APy and LibreTranslate share ----

class ServiceTranslator : public TextTranslator {
 public:
  ServiceTranslator(std::string base, std::string key, HttpOptions http)
      : base_(std::move(base)), key_(std::move(key)), http_(std::move(http)) {}

  std::string RefusedNames(const std::string& source_name, const std::string& target_name) const override {
    return RefusedKnownNames(source_name, target_name);
  }

  Translation Translate(const std::string& text, const std::string& source_name,
                        const std::string& target_name, const std::atomic<bool>* cancel) override {
    auto source = LanguageOf(source_name);
    auto target = LanguageOf(target_name);
    if (!source || !target) {
      return {Translation::Status::kUnknownLanguage, "", RefusedKnownNames(source_name, target_name)};
    }
    if (std::string(source->code) == target->code) return {Translation::Status::kOk, text, ""};
    HttpOptions http = http_;
    http.cancel = cancel;
    return Request(text, *source, *target, {source_name, target_name}, http);
  }

 protected:
  struct Names {
    const std::string& source;
    const std::string& target;
  };
  // One text translated between two different known languages.
  virtual Translation Request(const std::string& text, const Language& source, const Language& target,
                              Names names, const HttpOptions& http) = 0;

  Translation Answered(int status, const std::string& detail) const {
    return Failed("The translation service at " + base_ + " answered " + std::to_string(status) +
                  (detail.empty() ? std::string() : ": " + detail));
  }
  Translation Translated(std::string translated) const {
    if (translated.empty()) {
      return Failed("The translation service at " + base_ + " sent an answer without a translation.");
    }
    return {Translation::Status::kOk, std::move(translated), ""};
  }

  const std::string base_;
  const std::string key_;
  const HttpOptions http_;
};

// ---- Apertium APy ----

class ApertiumTranslator : public ServiceTranslator {
 public:
  using ServiceTranslator::ServiceTranslator;

 private:
  Translation Request(const std::string& text, const Language& source, const Language& target, Names names,
                      const HttpOptions& http) override {
    if (auto failure = LoadPairs(http)) return *failure;

    const std::string from = ListedCode(source), to = ListedCode(target);
    std::vector<HttpField> fields;
    std::string path;
    if (pairs_.count({from, to})) {
      path = "/translate";
      fields.push_back({"langpair", from + "|" + to});
    } else {
      // A pair the service lacks may still be reached through a language it translates both ways, as
      // English to Portuguese goes through Spanish.
      std::optional<std::string> pivot;
      for (const auto& [first, second] : pairs_) {
        if (first == from && pairs_.count({second, to})) {
          pivot = second;
          break;
        }
      }
      if (!pivot) return RefusedPair(base_, names.source, names.target);
      path = "/translateChain";
      fields.push_back({"langpairs", from + "|" + *pivot + "|" + to});
    }
    fields.push_back({"q", text});
    fields.push_back({"markUnknown", "no"});
    // Menu texts are plain text: "<" and "&" are characters, not markup.
    fields.push_back({"format", "txt"});
    if (!key_.empty()) fields.push_back({"key", key_});
    HttpReply reply = HttpGet(UrlWithQuery(JoinUrl(base_, path), fields), http);
    if (!reply.ok()) return RequestFailure(reply, base_, http);
    auto answer = JsonOf(reply.body);
    if (reply.status != 200) {
      const std::string explanation = answer ? StringField(*answer, "explanation") : std::string();
      if (reply.status == 400 && (explanation.find("not installed") != std::string::npos ||
                                  explanation.find("No path") != std::string::npos)) {
        return RefusedPair(base_, names.source, names.target);
      }
      return Answered(reply.status, explanation);
    }
    if (!answer || !answer->contains("responseData")) return Translated("");
    return Translated(StringField((*answer)["responseData"], "translatedText"));
  }

  // The pairs are asked for once per translator; a failure is not kept, so the next request asks again.
  std::optional<Translation> LoadPairs(const HttpOptions& http) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pairs_loaded_) return std::nullopt;
    HttpReply reply = HttpGet(JoinUrl(base_, "/listPairs"), http);
    if (!reply.ok()) return RequestFailure(reply, base_, http);
    auto answer = JsonOf(reply.body);
    if (reply.status != 200 || !answer || !answer->is_object() || !(*answer)["responseData"].is_array()) {
      return Failed("The translation service at " + base_ + " did not list its language pairs (HTTP " +
                    std::to_string(reply.status) + "). Is it an Apertium APy server?");
    }
    for (const json& pair : (*answer)["responseData"]) {
      std::string from = StringField(pair, "sourceLanguage"), to = StringField(pair, "targetLanguage");
      if (!from.empty() && !to.empty()) pairs_.insert({from, to});
    }
    pairs_loaded_ = true;
    return std::nullopt;
  }

  // The code the service lists a language under: mostly three letters, two for some older pairs.
  std::string ListedCode(const Language& language) const {
    for (const auto& [from, to] : pairs_) {
      if (from == language.code || to == language.code) return language.code;
    }
    return language.long_code;
  }

  std::mutex mutex_;
  bool pairs_loaded_ = false;
  std::set<std::pair<std::string, std::string>> pairs_;
};

// ---- LibreTranslate ----

class LibreTranslateTranslator : public ServiceTranslator {
 public:
  using ServiceTranslator::ServiceTranslator;

 private:
  Translation Request(const std::string& text, const Language& source, const Language& target, Names names,
                      const HttpOptions& http) override {
    json request = {{"q", text}, {"source", source.code}, {"target", target.code}, {"format", "text"}};
    if (!key_.empty()) request["api_key"] = key_;
    HttpReply reply =
        HttpPost(JoinUrl(base_, "/translate"), request.dump(-1, ' ', false, json::error_handler_t::replace),
                 "application/json", http);
    if (!reply.ok()) return RequestFailure(reply, base_, http);
    auto answer = JsonOf(reply.body);
    if (reply.status != 200) {
      const std::string error = answer ? StringField(*answer, "error") : std::string();
      if (reply.status == 400 && (error.find("not supported") != std::string::npos ||
                                  error.find("not available") != std::string::npos)) {
        return RefusedPair(base_, names.source, names.target);
      }
      return Answered(reply.status, error);
    }
    return Translated(answer ? StringField(*answer, "translatedText") : std::string());
  }
};

// ---- The web translation page ----

class PageTranslator : public TextTranslator {
 public:
  PageTranslator(std::string base, const HttpOptions& http) {
    options_.base_address = std::move(base);
    options_.http = http;
    options_.http.user_agent = TranslatorOptions::PageHttpOptions().user_agent;
  }

  // The page takes any name: unknown sources are detected by the service, and an unknown target is
  // refused by TranslateUnicode with its own message.
  std::string RefusedNames(const std::string&, const std::string& target_name) const override {
    return LanguageCode(target_name) == "auto" ? kAutoDetectMessage : "";
  }

  Translation Translate(const std::string& text, const std::string& source_name,
                        const std::string& target_name, const std::atomic<bool>* cancel) override {
    TranslatorOptions options = options_;
    options.http.cancel = cancel;
    std::string source = source_name;
    return TranslateUnicode(text, source, target_name, options);
  }

 private:
  TranslatorOptions options_;
};

}  // namespace

std::optional<ServiceKind> ServiceKindOf(const std::string& name) {
  const std::string folded = FoldedName(name);
  for (ServiceKind kind : {ServiceKind::kApertium, ServiceKind::kLibreTranslate, ServiceKind::kPage}) {
    if (folded == ServiceKindName(kind)) return kind;
  }
  return std::nullopt;
}

const char* ServiceKindName(ServiceKind kind) {
  switch (kind) {
    case ServiceKind::kApertium:
      return "apertium";
    case ServiceKind::kLibreTranslate:
      return "libretranslate";
    case ServiceKind::kPage:
      return "page";
  }
  return "apertium";
}

std::string DefaultServiceAddress(ServiceKind kind) {
  switch (kind) {
    case ServiceKind::kApertium:
      return kDefaultApertiumAddress;
    case ServiceKind::kLibreTranslate:
      return kDefaultLibreTranslateAddress;
    case ServiceKind::kPage:
      return kDefaultTranslateBase;
  }
  return kDefaultApertiumAddress;
}

std::string ServiceAddress(const ServiceSettings& settings) {
  return settings.url.empty() ? DefaultServiceAddress(settings.kind) : settings.url;
}

std::string TranslationSettingsPath() {
  return MakerFolder() + "/translation.conf";
}

ServiceSettings ReadTranslationSettings(const std::string& path) {
  ServiceSettings settings;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return settings;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
    if (name == "service") {
      if (auto kind = ServiceKindOf(value)) settings.kind = *kind;
    } else if (name == "url") {
      settings.url = value;
    } else if (name == "key") {
      settings.key = value;
    }
  }
  return settings;
}

std::string WriteTranslationSettings(const std::string& path, const ServiceSettings& settings) {
  auto clean = [](std::string value) {
    std::erase_if(value, [](char c) { return c == '\n' || c == '\r'; });
    return value;
  };
  if (!EnsureFolderOf(path)) return "cannot make the folder of " + path;
  FileBatch batch;
  batch.Add(path,
            "# The translation service of the Tabulo designer and the tabulo command.\n"
            "service=" +
                std::string(ServiceKindName(settings.kind)) + "\nurl=" + clean(settings.url) +
                "\nkey=" + clean(settings.key) + "\n");
  FileBatch::Result result = batch.Commit();
  if (!result.ok) return "cannot write " + result.failed_path + ": " + result.error;
  ::chmod(path.c_str(), S_IRUSR | S_IWUSR);
  return {};
}

std::string ResolveTranslationSettings(const ServiceOverrides& command_line, const ServiceSettings& stored,
                                       ServiceSettings& resolved) {
  resolved = stored;
  std::optional<std::string> service = command_line.service;
  if (!service) service = EnvironmentValue("TABULO_TRANSLATE_SERVICE");
  if (service) {
    auto kind = ServiceKindOf(*service);
    if (!kind) {
      return "unknown translation service \"" + *service + "\": use apertium, libretranslate or page";
    }
    if (*kind != stored.kind) resolved = ServiceSettings{*kind, "", ""};
  }
  if (auto url = command_line.url ? command_line.url : EnvironmentValue("TABULO_TRANSLATE_URL"))
    resolved.url = *url;
  if (auto key = command_line.key ? command_line.key : EnvironmentValue("TABULO_TRANSLATE_KEY"))
    resolved.key = *key;
  return {};
}

std::shared_ptr<TextTranslator> MakeTranslator(const ServiceSettings& settings, const HttpOptions& http) {
  const std::string base = ServiceAddress(settings);
  switch (settings.kind) {
    case ServiceKind::kLibreTranslate:
      return std::make_shared<LibreTranslateTranslator>(base, settings.key, http);
    case ServiceKind::kPage:
      return std::make_shared<PageTranslator>(base, http);
    case ServiceKind::kApertium:
      break;
  }
  return std::make_shared<ApertiumTranslator>(base, settings.key, http);
}

std::string TimeoutMessage(const std::string& base, const HttpOptions& http) {
  return "the translation service at " + base + " did not answer in " + Seconds(http.total_timeout) + " s";
}

Translation RequestFailure(const HttpReply& reply, const std::string& base, const HttpOptions& http) {
  switch (reply.outcome) {
    case HttpReply::Outcome::kTimeout:
      return {Translation::Status::kTimeout, "", TimeoutMessage(base, http)};
    case HttpReply::Outcome::kNoConnection:
      return {Translation::Status::kNoConnection, "",
              "The translation service at " + base + " cannot be reached (" + reply.error + ")."};
    case HttpReply::Outcome::kTooLarge:
      return Failed("The translation service at " + base + " sent an answer larger than " +
                    std::to_string(http.max_reply_bytes / 1024) + " KB; it was not read.");
    case HttpReply::Outcome::kCancelled:
      return {Translation::Status::kCancelled, "", ""};
    case HttpReply::Outcome::kOk:
    case HttpReply::Outcome::kFailed:
      break;
  }
  return Failed("The translation service at " + base + " could not be asked: " + reply.error);
}

}  // namespace tabulo
