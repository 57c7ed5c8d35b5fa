#include "firmloader/firmware_files.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/environment.h"
#include "base/text_codec.h"
#include "firmloader/program_catalogue.h"
#include "firmloader/sha256_sum.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

// A plain file of the tool's folder such as "Conf.xml": one name, never a way out of the folder.
bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

void RemoveFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// What a captive portal or a misconfigured server sends in place of a file: a web page.
bool LooksLikeHtml(const HttpReply& reply) {
  std::string type = Lower(reply.content_type.substr(0, reply.content_type.find(';')));
  if (type.find("html") != std::string::npos) return true;
  std::string_view body = reply.body;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  size_t first = body.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return false;
  std::string start = Lower(body.substr(first, 16));
  for (const char* tag : {"<!doctype html", "<html", "<head", "<body"}) {
    if (start.rfind(tag, 0) == 0) return true;
  }
  return false;
}

// A firmware image is binary. A body that is nothing but text is an error page or a login notice that
// came with the wrong type; so is one the server itself calls text.
bool IsText(const HttpReply& reply) {
  if (Lower(reply.content_type).rfind("text/", 0) == 0) return true;
  for (unsigned char c : reply.body) {
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') return false;
    if (c == 0x7f) return false;
  }
  return IsValidUtf8(reply.body);
}

bool IsMissing(long status) {
  return status == 404 || status == 410;
}

}  // namespace

std::string FirmloaderHome() {
  return EnvironmentValue("FIRMLOADER_HOME").value_or(MakerFolder() + "/firmloader");
}

std::string FirmwareServerFolder(const std::string& setting, const std::string& command_line) {
  std::string folder = command_line;
  if (folder.empty()) folder = EnvironmentValue("FIRMLOADER_SERVER").value_or("");
  if (folder.empty()) folder = setting;
  if (folder.empty()) folder = kDefaultFirmwareServer;
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

HttpOptions FirmwareDownloadOptions() {
  HttpOptions options;
  options.connect_timeout = std::chrono::seconds(10);
  options.total_timeout = std::chrono::seconds(120);
  options.stall_timeout = std::chrono::seconds(30);
  options.max_reply_bytes = size_t{64} << 20;
  return options;
}

FirmwareFiles::FirmwareFiles(std::string folder, std::string server_folder, ToolConsole& console,
                             HttpOptions options)
    : folder_(std::move(folder)), console_(console), options_(std::move(options)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  SetServerFolder(std::move(server_folder));
}

void FirmwareFiles::SetServerFolder(std::string server_folder) {
  server_folder_ = std::move(server_folder);
  if (server_folder_.empty() || server_folder_.back() != '/') server_folder_.push_back('/');
}

bool FirmwareFiles::DownloadProgramFile(const std::string& name) {
  if (name.find('.') != std::string::npos) return FetchPlainFile(name);
  if (!IsPlainFirmwareName(name)) return Refused(name);
  return internet_conexion_ ? FetchFirmware(name) : CopyFirmwareFromCache(name);
}

bool FirmwareFiles::FetchWhole(const std::string& name, bool image, std::string& bytes,
                               std::string& failure) {
  HttpReply reply = HttpGet(AddressOf(name), options_);
  if (!reply.ok()) {
    failure = reply.error;
    return false;
  }
  if (reply.status != 200) {
    failure = "the server answered " + std::to_string(reply.status);
    return false;
  }
  if (reply.body.empty()) {
    // What a misconfigured server sends for a missing file; sending it would leave the device without a
    // program.
    failure = "the answer is empty";
    return false;
  }
  if (LooksLikeHtml(reply)) {
    failure = "the answer is a web page, not the file";
    return false;
  }
  // Only the image: what the header holds is the device's business, and it is never sent.
  if (image && IsText(reply)) {
    failure = "the answer is text, not a firmware";
    return false;
  }

  // A checksum the server publishes beside the file is used whenever it is there; only its absence is
  // tolerated, not a checksum file that cannot be read or does not fit.
  std::string sum_name = name + kChecksumSuffix;
  HttpReply sum = HttpGet(AddressOf(sum_name), options_);
  if (sum.ok() && sum.status == 200) {
    std::optional<std::string> expected = Sha256For(sum.body, name);
    if (!expected) {
      failure = sum_name + " is not a SHA-256 checksum of it in sha256sum form";
      return false;
    }
    if (*expected != Sha256Hex(reply.body)) {
      failure = "its SHA-256 does not match " + sum_name + " (" + std::to_string(reply.body.size()) +
                " bytes arrived)";
      return false;
    }
  } else if (!sum.ok() || !IsMissing(sum.status)) {
    failure = "its checksum " + sum_name + " could not be read: " +
              (sum.ok() ? "the server answered " + std::to_string(sum.status) : sum.error);
    return false;
  } else if (reply.content_length < 0) {
    // A reply ended by closing the connection looks the same whole or cut short.
    failure = "the server did not say how long it is and publishes no " + sum_name +
              ", so it cannot be known whole";
    return false;
  } else if (static_cast<size_t>(reply.content_length) != reply.body.size()) {
    failure =
        std::to_string(reply.body.size()) + " of " + std::to_string(reply.content_length) + " bytes arrived";
    return false;
  }
  bytes = std::move(reply.body);
  return true;
}

bool FirmwareFiles::FetchPlainFile(const std::string& name) {
  if (!IsPlainFileName(name)) return Refused(name);
  // Offline the local copy is all there is: the catalogue a previous online run left.
  if (!internet_conexion_) return std::filesystem::is_regular_file(PathOf(name));
  if (net_error_) return false;
  std::string bytes, failure;
  if (!FetchWhole(name, false, bytes, failure)) return NotAvailable(name, failure);
  EnsureFolder(folder_);
  // The file is replaced only by a complete download; a failed one keeps the previous catalogue, so the
  // list still shows what can be sent from the cache.
  FileBatch batch;
  batch.Add(PathOf(name), std::move(bytes));
  FileBatch::Result written = batch.Commit();
  if (!written.ok) return NotAvailable(written.failed_path, written.error);
  return true;
}

bool FirmwareFiles::FetchFirmware(const std::string& name) {
  if (net_error_) return false;
  // The previous firmware goes first, so that whatever happens next it can never be sent in place of this
  // one.
  ForgetReadyFirmware();
  std::string body, header, failure;
  if (!FetchWhole(name + ".bin", true, body, failure)) return NotAvailable(name + ".bin", failure);
  if (!FetchWhole(name + ".hea", false, header, failure)) return NotAvailable(name + ".hea", failure);

  EnsureFolder(folder_);
  FileBatch ready;
  ready.Add(PathOf(kFirmwareBody), body);
  ready.Add(PathOf(kFirmwareHeader), header);
  FileBatch::Result written = ready.Commit();
  if (!written.ok) return NotAvailable(written.failed_path, written.error);
  ready_digest_ = Sha256Hex(body);

  // The firmware is ready whether or not the cache could be written; the log says when a later offline run
  // will not find it.
  FileBatch::Result cached = StoreInCache(name, body, header);
  if (!cached.ok) {
    console_.AddLog("The offline copy of " + name + " could not be kept: " + cached.error);
  }
  last_error_.clear();
  return true;
}

FileBatch::Result FirmwareFiles::StoreInCache(const std::string& name, const std::string& body,
                                              const std::string& header) {
  // The pair and its checksums are replaced together and only by a complete pair.
  FileBatch cache;
  for (const auto& [file, bytes] : {std::pair{name + ".bin", &body}, std::pair{name + ".hea", &header}}) {
    cache.Add(PathOf(file), *bytes);
    cache.Add(PathOf(file + kChecksumSuffix), Sha256SumLine(Sha256Hex(*bytes), file));
  }
  return cache.Commit();
}

bool FirmwareFiles::ReadCached(const std::string& file, std::string& bytes, std::string& failure,
                               bool& damaged) {
  // Downloads never leave an empty file, so an empty cache file is as good as missing.
  if (!ReadWholeFile(PathOf(file), bytes) || bytes.empty()) {
    failure = "not in the offline cache";
    return false;
  }
  std::string sums;
  std::optional<std::string> expected;
  if (ReadWholeFile(PathOf(file + kChecksumSuffix), sums)) expected = Sha256For(sums, file);
  if (!expected || *expected != Sha256Hex(bytes)) {
    // A copy whose checksum is gone cannot be told from a damaged one, and is not sent either.
    damaged = true;
    failure = expected
                  ? "the offline copy is damaged: it does not match its SHA-256 in " + file + kChecksumSuffix
                  : "the offline copy has no SHA-256 beside it (" + file + kChecksumSuffix +
                        ") and cannot be checked";
    return false;
  }
  return true;
}

bool FirmwareFiles::CopyFirmwareFromCache(const std::string& name) {
  ForgetReadyFirmware();
  std::string body, header, failure;
  bool damaged = false;
  for (auto [file, bytes] : {std::pair{name + ".bin", &body}, std::pair{name + ".hea", &header}}) {
    if (!ReadCached(file, *bytes, failure, damaged)) {
      NotAvailable(file, failure);
      cache_damaged_ = damaged;
      return false;
    }
  }
  FileBatch ready;
  ready.Add(PathOf(kFirmwareBody), body);
  ready.Add(PathOf(kFirmwareHeader), std::move(header));
  FileBatch::Result written = ready.Commit();
  if (!written.ok) return NotAvailable(written.failed_path, written.error);
  ready_digest_ = Sha256Hex(body);
  last_error_.clear();
  return true;
}

bool FirmwareFiles::ReadyImage(std::string& image) {
  image.clear();
  if (ready_digest_.empty()) return NotAvailable(kFirmwareBody, "no firmware was made ready");
  if (!ReadWholeFile(PathOf(kFirmwareBody), image) || Sha256Hex(image) != ready_digest_) {
    image.clear();
    return NotAvailable(kFirmwareBody, "it has changed or gone since it was made ready");
  }
  return true;
}

void FirmwareFiles::ForgetReadyFirmware() {
  ready_digest_.clear();
  RemoveFile(PathOf(kFirmwareBody));
  RemoveFile(PathOf(kFirmwareHeader));
}

bool FirmwareFiles::NotAvailable(const std::string& file, const std::string& reason) {
  net_error_ = true;
  last_error_ = file + ": " + reason;
  console_.AddLog(kNotAvailableMessage);
  console_.AddLog(last_error_);
  return false;
}

bool FirmwareFiles::Refused(const std::string& name) {
  net_error_ = true;
  last_error_ = "\"" + name + "\" is not a plain file name";
  console_.AddLog("The file name \"" + name + "\" is not a plain name and is not used.");
  return false;
}

std::string FirmwareFiles::AddressOf(const std::string& name) const {
  return server_folder_ + PercentEncode(name);
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
  console.AddLog(complete ? "Done!" : "Not every file could be fetched: the offline copies are incomplete.");
  return complete;
}

}  // namespace tabulo
