#pragma once
// The translation services behind the one interface of translator.h, and which of them is used:
//   apertium        an Apertium APy server (the default: run on the restaurant's own PC, offline);
//   libretranslate  a LibreTranslate-compatible server;
//   page            the web translation page of web_translator.h, for sites that still serve one.
// The choice (service, base address, API key) is a per-user setting in the maker folder, which the designer's
// settings window writes; TABULO_TRANSLATE_SERVICE, TABULO_TRANSLATE_URL and TABULO_TRANSLATE_KEY override
// it, and a command line's options override both.

#include <memory>
#include <optional>
#include <string>

#include "designer/translate/translator.h"
#include "platform/http_client.h"

namespace tabulo {

enum class ServiceKind { kApertium, kLibreTranslate, kPage };

inline constexpr const char* kDefaultApertiumAddress = "http://127.0.0.1:2737";
inline constexpr const char* kDefaultLibreTranslateAddress = "http://127.0.0.1:5000";

struct ServiceSettings {
  ServiceKind kind = ServiceKind::kApertium;
  std::string url;  // "" for the service's default address
  std::string key;  // "" for none
};

// "apertium", "libretranslate", "page"; nothing for another name.
std::optional<ServiceKind> ServiceKindOf(const std::string& name);
const char* ServiceKindName(ServiceKind kind);
std::string DefaultServiceAddress(ServiceKind kind);
// The address a request goes to: the configured one, else the service's default.
std::string ServiceAddress(const ServiceSettings& settings);

// The per-user settings file: "translation.conf" in the maker folder, lines "service=", "url=", "key=".
std::string TranslationSettingsPath();
// The stored settings; the defaults when the file is missing, and for any line that is not understood.
ServiceSettings ReadTranslationSettings(const std::string& path);
// Replaces the file as a whole, readable by its owner only (it may hold a key). "" or the reason it failed.
std::string WriteTranslationSettings(const std::string& path, const ServiceSettings& settings);

// What a command line gave; nothing where an option was not given.
struct ServiceOverrides {
  std::optional<std::string> service;
  std::optional<std::string> url;
  std::optional<std::string> key;
};
// The settings in force: the command line, else the environment, else `stored`. A stored address or key
// belongs to the stored service and is not carried over to another one. Returns "" or why a service name
// was refused.
std::string ResolveTranslationSettings(const ServiceOverrides& command_line, const ServiceSettings& stored,
                                       ServiceSettings& resolved);

// The service the settings name, its requests bounded by `http`.
std::shared_ptr<TextTranslator> MakeTranslator(const ServiceSettings& settings, const HttpOptions& http = {});

// A request that did not come back with an answer, worded for the user: no connection, no answer in time,
// an answer beyond the cap, cancelled.
Translation RequestFailure(const HttpReply& reply, const std::string& base, const HttpOptions& http);
// "the translation service at BASE did not answer in N s".
std::string TimeoutMessage(const std::string& base, const HttpOptions& http);

}  // namespace tabulo
