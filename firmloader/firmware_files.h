#pragma once
// The files the firmware tool sends and keeps, all in its own folder: the catalogue "Conf.xml", the firmware
// being sent ("firmware.bin" and its header "firmware.hea") and the offline cache (firmware name + ".bin"
// and + ".hea"). Online, files come from the maker's download server; offline, from the cache. A file that
// cannot be had sets `NetError`, which stops every later download and every send until it is cleared, so a
// stale or missing firmware is never sent.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "firmloader/tool_console.h"
#include "firmloader/xml_scanner.h"

namespace tabulo {

inline constexpr const char* kNotAvailableMessage = "File is not available at the moment!";
inline constexpr const char* kFirmwareBody = "firmware.bin";
inline constexpr const char* kFirmwareHeader = "firmware.hea";
// The maker's firmware folder when neither the settings nor $FIRMLOADER_SERVER name one. A placeholder: a
// site sets its own server folder.
inline constexpr const char* kDefaultFirmwareServer = "https://downloads.velt.example/firmware/";

// The tool's folder: $FIRMLOADER_HOME, else "firmloader" in the maker folder; no trailing separator.
std::string FirmloaderHome();

// The server folder files are fetched from: $FIRMLOADER_SERVER, else the configured folder, else the
// default; always ending in "/".
std::string FirmwareServerFolder(const std::string& configured = "");

struct DownloadOptions {
  std::chrono::milliseconds connect_timeout{10000};
  std::chrono::milliseconds total_timeout{120000};
  // Firmware images are a few hundred kilobytes; anything far beyond is not one of them.
  size_t max_bytes = 64u << 20;
  // Called about every 100 ms while a transfer runs, so that a window keeps answering.
  std::function<void()> while_waiting;
};

// One file from an address. Fails on a transfer error, an HTTP error status, a timeout, an empty body or a
// body beyond the limit; `bytes` are the exact bytes received.
struct Download {
  bool ok = false;
  std::string bytes;
  std::string error;  // why it failed, for the developer's eyes
};
Download FetchAddress(const std::string& address, const DownloadOptions& options);

class FirmwareFiles {
 public:
  FirmwareFiles(std::string folder, std::string server_folder, ToolConsole& console,
                DownloadOptions options = {});

  const std::string& Folder() const { return folder_; }
  // A file of the tool's folder.
  std::string PathOf(std::string_view name) const { return folder_ + "/" + std::string(name); }

  bool InternetConexion() const { return internet_conexion_; }
  void SetInternetConexion(bool online) { internet_conexion_ = online; }
  bool NetError() const { return net_error_; }
  void ClearNetError() { net_error_ = false; }
  // Why the last file could not be had ("" when nothing failed).
  const std::string& LastError() const { return last_error_; }

  // `DownloadProgramFile`: a name with a point is a plain file ("Conf.xml") fetched into the tool's folder;
  // any other name is a firmware, made ready as "firmware.bin" and "firmware.hea" from the server (and then
  // kept in the cache) or, offline, from the cache. True when the file is ready.
  bool DownloadProgramFile(const std::string& name);

 private:
  bool FetchPlainFile(const std::string& name);
  bool FetchFirmware(const std::string& name);
  bool CopyFirmwareFromCache(const std::string& name);
  // Sets `NetError`, logs the message, and keeps the reason.
  bool NotAvailable(std::string reason);
  // Refuses a name that would leave the tool's folder.
  bool Refused(const std::string& name);
  std::string AddressOf(const std::string& name) const;

  std::string folder_;
  std::string server_folder_;
  ToolConsole& console_;
  DownloadOptions options_;
  bool internet_conexion_ = false;
  bool net_error_ = false;
  std::string last_error_;
};

// "Update all the software to use Offline.": the catalogue from the server, loaded into `catalogue` (the
// local one stays when it cannot be had), then every firmware it names into the offline cache, between the
// log lines "Reading all the files from internet..." and "Done!". True when every file was fetched. A new
// run is a new try: a failure before it does not stop it.
bool UpdateAllForOffline(FirmwareFiles& files, XmlScanner& catalogue, ToolConsole& console);

}  // namespace tabulo
