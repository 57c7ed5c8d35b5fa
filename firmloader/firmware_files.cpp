#include "firmloader/firmware_files.h"

#include <curl/curl.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "designer/storage/text_codec.h"
#include "firmloader/program_catalogue.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

struct Sink {
  std::string bytes;
  size_t limit = 0;
};

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
  auto* sink = static_cast<Sink*>(target);
  size_t length = size * count;
  // A short count makes the transfer fail, so a body beyond the limit never reaches a file.
  if (sink->bytes.size() + length > sink->limit) return 0;
  sink->bytes.append(data, length);
  return length;
}

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// curl_easy_perform, with `while_waiting` called between short polls of the transfer.
CURLcode Perform(CURL* curl, const std::function<void()>& while_waiting) {
  if (!while_waiting) return curl_easy_perform(curl);
  CURLM* multi = curl_multi_init();
  if (!multi || curl_multi_add_handle(multi, curl) != CURLM_OK) {
    if (multi) curl_multi_cleanup(multi);
    return CURLE_FAILED_INIT;
  }
  CURLcode code = CURLE_FAILED_INIT;
  for (int running = 1; running;) {
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    if (running) {
      curl_multi_poll(multi, nullptr, 0, 100, nullptr);
      while_waiting();
    }
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg == CURLMSG_DONE) code = message->data.result;
  }
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return code;
}

// A plain file of the tool's folder such as "Conf.xml": one name, never a way out of the folder.
bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::string PercentEncoded(std::string_view name) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

void RemoveFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace

std::string FirmloaderHome() {
  const char* home = std::getenv("FIRMLOADER_HOME");
  if (home && *home) return home;
  return MakerFolder() + "/firmloader";
}

std::string FirmwareServerFolder(const std::string& configured) {
  const char* environment = std::getenv("FIRMLOADER_SERVER");
  std::string folder = environment && *environment ? environment : configured;
  if (folder.empty()) folder = kDefaultFirmwareServer;
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

Download FetchAddress(const std::string& address, const DownloadOptions& options) {
  InitialiseCurlOnce();
  Download result;
  CURL* curl = curl_easy_init();
  if (!curl) {
    result.error = "the transfer could not be started";
    return result;
  }
  Sink sink;
  sink.limit = options.max_bytes;
  char error_text[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  // A server may move its files to another address, but never hand the tool a local file instead.
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.max_bytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  CURLcode code = Perform(curl, options.while_waiting);
  curl_easy_cleanup(curl);

  if (code != CURLE_OK) {
    result.error = address + ": " + (error_text[0] ? error_text : curl_easy_strerror(code));
  } else if (sink.bytes.empty()) {
    // An empty answer is what a misconfigured server sends for a missing file; sending it would leave the
    // device without a program.
    result.error = address + ": empty answer";
  } else {
    result.ok = true;
    result.bytes = std::move(sink.bytes);
  }
  return result;
}

FirmwareFiles::FirmwareFiles(std::string folder, std::string server_folder, ToolConsole& console,
                             DownloadOptions options)
    : folder_(std::move(folder)),
      server_folder_(std::move(server_folder)),
      console_(console),
      options_(options) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  if (server_folder_.empty() || server_folder_.back() != '/') server_folder_.push_back('/');
}

bool FirmwareFiles::DownloadProgramFile(const std::string& name) {
  if (name.find('.') != std::string::npos) return FetchPlainFile(name);
  if (!IsPlainFirmwareName(name)) return Refused(name);
  return internet_conexion_ ? FetchFirmware(name) : CopyFirmwareFromCache(name);
}

bool FirmwareFiles::FetchPlainFile(const std::string& name) {
  if (!IsPlainFileName(name)) return Refused(name);
  // Offline the local copy is all there is: the catalogue a previous online run left.
  if (!internet_conexion_) return std::filesystem::is_regular_file(PathOf(name));
  if (net_error_) return false;
  Download download = FetchAddress(AddressOf(name), options_);
  if (!download.ok) return NotAvailable(download.error);
  EnsureFolder(folder_);
  // The file is replaced only by a complete download; a failed one keeps the previous catalogue, so the
  // list still shows what can be sent from the cache.
  FileBatch batch;
  batch.Add(PathOf(name), std::move(download.bytes));
  FileBatch::Result written = batch.Commit();
  if (!written.ok) return NotAvailable(written.failed_path + ": " + written.error);
  return true;
}

bool FirmwareFiles::FetchFirmware(const std::string& name) {
  if (net_error_) return false;
  // The previous firmware goes first, so that whatever happens next it can never be sent in place of this
  // one.
  RemoveFile(PathOf(kFirmwareBody));
  RemoveFile(PathOf(kFirmwareHeader));
  Download body = FetchAddress(AddressOf(name + ".bin"), options_);
  if (!body.ok) return NotAvailable(body.error);
  Download header = FetchAddress(AddressOf(name + ".hea"), options_);
  if (!header.ok) return NotAvailable(header.error);

  EnsureFolder(folder_);
  FileBatch ready;
  ready.Add(PathOf(kFirmwareBody), body.bytes);
  ready.Add(PathOf(kFirmwareHeader), header.bytes);
  FileBatch::Result written = ready.Commit();
  if (!written.ok) return NotAvailable(written.failed_path + ": " + written.error);

  // The cache pair is replaced together and only by a complete pair. The firmware is ready whether or not
  // the cache could be written; the log says when a later offline run will not find it.
  FileBatch cache;
  cache.Add(PathOf(name + ".bin"), std::move(body.bytes));
  cache.Add(PathOf(name + ".hea"), std::move(header.bytes));
  FileBatch::Result cached = cache.Commit();
  if (!cached.ok) {
    console_.AddLog("The offline copy of " + name + " could not be kept: " + cached.error);
  }
  last_error_.clear();
  return true;
}

bool FirmwareFiles::CopyFirmwareFromCache(const std::string& name) {
  RemoveFile(PathOf(kFirmwareBody));
  RemoveFile(PathOf(kFirmwareHeader));
  std::string body, header;
  // Downloads never leave an empty file, so an empty cache file is as good as missing.
  if (!ReadWholeFile(PathOf(name + ".bin"), body) || body.empty()) {
    return NotAvailable(PathOf(name + ".bin") + ": not in the offline cache");
  }
  if (!ReadWholeFile(PathOf(name + ".hea"), header) || header.empty()) {
    return NotAvailable(PathOf(name + ".hea") + ": not in the offline cache");
  }
  FileBatch ready;
  ready.Add(PathOf(kFirmwareBody), std::move(body));
  ready.Add(PathOf(kFirmwareHeader), std::move(header));
  FileBatch::Result written = ready.Commit();
  if (!written.ok) return NotAvailable(written.failed_path + ": " + written.error);
  last_error_.clear();
  return true;
}

bool FirmwareFiles::NotAvailable(std::string reason) {
  net_error_ = true;
  last_error_ = std::move(reason);
  console_.AddLog(kNotAvailableMessage);
  return false;
}

bool FirmwareFiles::Refused(const std::string& name) {
  net_error_ = true;
  last_error_ = "\"" + name + "\" is not a plain file name";
  console_.AddLog("The file name \"" + DecodeFileText(name) + "\" is not a plain name and is not used.");
  return false;
}

std::string FirmwareFiles::AddressOf(const std::string& name) const {
  return server_folder_ + PercentEncoded(name);
}

bool UpdateAllForOffline(FirmwareFiles& files, XmlScanner& catalogue, ToolConsole& console) {
  files.ClearNetError();
  console.AddLog("Reading all the files from internet...");
  bool complete = files.DownloadProgramFile(kCatalogueFile);
  catalogue.Load(files.PathOf(kCatalogueFile));
  for (const ProgramRow& row : LoadProgramList(catalogue)) {
    std::optional<std::string> name = FirmwareNameOf(ReadProgram(catalogue, row.key), row.key, console);
    complete = name && files.DownloadProgramFile(*name) && complete;
  }
  console.AddLog("Done!");
  return complete;
}

}  // namespace tabulo
