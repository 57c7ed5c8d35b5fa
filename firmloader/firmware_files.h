#pragma once
// The files the firmware tool sends and keeps, all in its own folder: the catalogue "Conf.xml", the firmware
// being sent ("firmware.bin" and its header "firmware.hea") and the offline cache (firmware name + ".bin"
// and + ".hea", each with its SHA-256 beside it in `sha256sum` form, name + ".bin.sha256" and
// + ".hea.sha256"). Online, files come from the maker's download server; offline, from the cache. A file
// counts only when it is known whole and is what it claims to be; one that cannot be had sets `NetError`,
// which stops every later download and every send until it is cleared, so a stale, damaged or missing
// firmware is never sent.

#include <string>
#include <string_view>

#include "base/files.h"
#include "firmloader/tool_console.h"
#include "firmloader/xml_scanner.h"
#include "platform/http_client.h"

namespace tabulo {

inline constexpr const char* kNotAvailableMessage = "File is not available at the moment!";
inline constexpr const char* kFirmwareBody = "firmware.bin";
inline constexpr const char* kFirmwareHeader = "firmware.hea";
// What a checksum file beside a file is called, on the server and in the cache.
inline constexpr const char* kChecksumSuffix = ".sha256";
// The maker's firmware folder when neither the command line, $FIRMLOADER_SERVER nor the settings name one.
// A placeholder: a site sets its own server folder.
inline constexpr const char* kDefaultFirmwareServer = "https://downloads.velt.example/firmware/";

// The tool's folder: $FIRMLOADER_HOME, else "firmloader" in the maker folder; no trailing separator.
std::string FirmloaderHome();

// The server folder files are fetched from, always ending in "/": the command line's choice, else
// $FIRMLOADER_SERVER, else the setting, else the default.
std::string FirmwareServerFolder(const std::string& setting, const std::string& command_line = "");

// A download's limits: firmware images are a few hundred kilobytes on a line that may be slow; anything far
// beyond is not one of them, and a server that sends nothing for half a minute is not going to.
HttpOptions FirmwareDownloadOptions();

class FirmwareFiles {
 public:
  FirmwareFiles(std::string folder, std::string server_folder, ToolConsole& console,
                HttpOptions options = FirmwareDownloadOptions());

  const std::string& Folder() const { return folder_; }
  // A file of the tool's folder.
  std::string PathOf(std::string_view name) const { return folder_ + "/" + std::string(name); }
  const std::string& ServerFolder() const { return server_folder_; }
  void SetServerFolder(std::string server_folder);

  bool InternetConexion() const { return internet_conexion_; }
  void SetInternetConexion(bool online) { internet_conexion_ = online; }
  bool NetError() const { return net_error_; }
  void ClearNetError() {
    net_error_ = false;
    cache_damaged_ = false;
  }
  // Why the last file could not be had ("" when nothing failed).
  const std::string& LastError() const { return last_error_; }
  // The last failure was an offline copy that is no longer what was stored: fetching it again mends it.
  bool CacheDamaged() const { return cache_damaged_; }

  // `DownloadProgramFile`: a name with a point is a plain file ("Conf.xml") fetched into the tool's folder;
  // any other name is a firmware, made ready as "firmware.bin" and "firmware.hea" from the server (and then
  // kept in the cache) or, offline, from the cache. True when the file is ready.
  bool DownloadProgramFile(const std::string& name);
  // The firmware from the server whatever `InternetConexion` says: what the user chose when the offline
  // copy was damaged.
  bool FetchFirmware(const std::string& name);

  // Keeps a complete firmware pair in the offline cache with the SHA-256 of each file.
  FileBatch::Result StoreInCache(const std::string& name, const std::string& body, const std::string& header);

  // The image of "firmware.bin" for a send, checked against what was made ready: false (with `NetError` and
  // the reason in the log) when nothing was made ready or the file has changed or gone since.
  bool ReadyImage(std::string& image);

 private:
  // The bytes of one file of the server, known whole (its announced length matched or its published
  // checksum verified), never a web page and, for a firmware image, never text. Sets `failure` otherwise.
  bool FetchWhole(const std::string& name, bool image, std::string& bytes, std::string& failure);
  bool FetchPlainFile(const std::string& name);
  bool CopyFirmwareFromCache(const std::string& name);
  // One file of the cache with its checksum verified; `damaged` tells a changed file from a missing one.
  bool ReadCached(const std::string& file, std::string& bytes, std::string& failure, bool& damaged);
  // Sets `NetError`, logs the message and which file failed and why, and keeps the reason.
  bool NotAvailable(const std::string& file, const std::string& reason);
  // Refuses a name that would leave the tool's folder.
  bool Refused(const std::string& name);
  std::string AddressOf(const std::string& name) const;
  void ForgetReadyFirmware();

  std::string folder_;
  std::string server_folder_;
  ToolConsole& console_;
  HttpOptions options_;
  bool internet_conexion_ = false;
  bool net_error_ = false;
  bool cache_damaged_ = false;
  std::string last_error_;
  std::string ready_digest_;  // SHA-256 of the "firmware.bin" made ready; "" when none is
};

// "Update all the software to use Offline.": the catalogue from the server, loaded into `catalogue` (the
// local one stays when it cannot be had), then every firmware it names into the offline cache, after the log
// line "Reading all the files from internet...". The log ends with "Done!" only when every file was
// fetched, which is also when it returns true. A new run is a new try: a failure before it does not stop it.
bool UpdateAllForOffline(FirmwareFiles& files, XmlScanner& catalogue, ToolConsole& console);

}  // namespace tabulo
