// tabulo send and tabulo receive: the send dialog and the reception window without a window.

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <thread>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/site_sends.h"
#include "designer/document/numbers.h"
#include "designer/history/sent_menus.h"
#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/link/reception_session.h"
#include "platform/folders.h"

namespace tabulo::cli {
namespace {

constexpr const char* kSendUsage =
    "usage: tabulo send PROJECT.TB1 [--port N|ADDRESS | --sites SITES.conf [--jobs N]] [--plain-pages] "
    "[--old-firmware]";
constexpr const char* kReceiveUsage =
    "usage: tabulo receive [PROJECT.TB1] [--port N|ADDRESS] [--count K] [--timeout S]";
constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) {
  interrupted = 1;
}

// A folder of this run only, for the copy of the project the send reads back, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "tabulo-send-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// "Sending" on standard output, the transfer's progress on a terminal.
class PrintProgress : public SendProgress {
 public:
  void UploadStarting() override { std::cout << kSendingCaption << std::endl; }
  bool Transferred(long long done, long long total) override { return terminal_.Transferred(done, total); }

 private:
  TerminalTransferProgress terminal_{true};
};

// The reason a link did not open, with the port named once.
std::string NotOpened(int port, const std::string& reason) {
  std::string in_use = "port " + std::to_string(port) + " is in use";
  if (reason.rfind(in_use, 0) == 0) return reason;
  return "cannot open the link on port " + std::to_string(port) + ": " + reason;
}

bool PortOption(const Options& options, int& port) {
  std::string text = options.Value("--port", "1");
  if (!HasLeadingNumber(text)) return false;
  port = PortNumberOfText(text);
  return true;
}

}  // namespace

int SendCommand(const Arguments& args) {
  Options options(args, {"--port", "--sites", "--jobs"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() != 1) return Fail(kSendUsage);
  SendSettings settings;
  // As in the send dialog, the port may be an address (port 0 then means it).
  settings.port_address = PortAddressOfText(options.Value("--port"));
  if (!settings.port_address.empty()) {
    settings.port = 0;
  } else if (!PortOption(options, settings.port)) {
    return Fail("--port needs a number or a port address (tcp://HOST:PORT, rfc2217://HOST:PORT)");
  }
  std::vector<Site> sites;
  int jobs = 0;
  if (options.Has("--sites")) {
    if (options.Has("--port")) return Fail("--port and --sites exclude each other");
    std::string error;
    if (!ReadSitesFile(options.Value("--sites"), sites, error)) return Fail(error);
    // Without --jobs every site at once: each waits on its own line, not on this machine.
    std::optional<double> wanted = StrictNumber(options.Value("--jobs", std::to_string(sites.size())));
    if (!wanted || *wanted < 1 || *wanted != static_cast<int>(*wanted))
      return Fail("--jobs needs a number of 1 or more");
    jobs = static_cast<int>(*wanted);
  } else if (options.Has("--jobs")) {
    return Fail("--jobs goes with --sites");
  }
  LoadedProject project;
  if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
  MenuDocument& doc = *project.doc;
  settings.plain_pages = options.Has("--plain-pages") || doc.PagesVersion == "1";
  settings.old_firmware = options.Has("--old-firmware");

  // As the designer's Send writes its work copy before the transfer reads the definitions back, the send
  // reads a copy written now, in a folder of its own so that the designer's work copy is left alone.
  ScratchFolder scratch;
  if (scratch.Path().empty()) return Fail("cannot create a temporary folder");
  doc.ProjectBase = scratch.Path() + "/send";
  doc.ProjectFolder = scratch.Path() + "/";
  WriteReport written = WriteProjectFiles(doc);
  if (!written.ok) return Fail("cannot write " + written.failed_path + ": " + written.error);

  if (!sites.empty()) return SendToSites(doc, settings, sites, jobs);

  KestrelBinding library;
  SendResult result;
  {
    PrintProgress progress;
    result = SendMenu(doc, library, settings, &progress);
  }
  switch (result.outcome) {
    case SendOutcome::kNotOpened:
      if (!settings.port_address.empty())
        return Fail("cannot open the link to " + settings.port_address + ": " + result.error);
      return Fail(NotOpened(settings.port, result.error));
    case SendOutcome::kFailed:
    case SendOutcome::kCancelled:
    case SendOutcome::kUnknown:
      std::cout << CaptionAfterSend(result.outcome) << std::endl;
      return Fail(result.error.empty() ? std::string("the menu was not sent") : result.error);
    case SendOutcome::kSent:
      break;
  }
  // The menu as the terminals now have it, for `tabulo diff sent` and the designer's next send summary. A
  // copy that cannot be kept does not make the send fail: the terminals have the menu.
  WriteReport kept = KeepSentMenu(doc, std::time(nullptr));
  if (!kept.ok)
    std::cerr << "tabulo: the sent menu was not kept: " << kept.failed_path << " " << kept.error << "\n";
  std::cout << kSentCaption << " (" << result.items << " items, " << result.choices << " modifier choices)"
            << std::endl;
  return kExitOk;
}

int ReceiveCommand(const Arguments& args) {
  Options options(args, {"--port", "--count", "--timeout"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (options.Positional().size() > 1) return Fail(kReceiveUsage);
  int port = 1;
  std::string address = PortAddressOfText(options.Value("--port"));
  if (!address.empty()) {
    port = 0;
  } else if (!PortOption(options, port)) {
    return Fail("--port needs a number or a port address (tcp://HOST:PORT, rfc2217://HOST:PORT)");
  }
  std::optional<double> count = StrictNumber(options.Value("--count", "0"));
  std::optional<double> timeout = StrictNumber(options.Value("--timeout", "0"));
  if (!count || *count < 0) return Fail("--count needs a number of orders");
  if (!timeout || *timeout < 0) return Fail("--timeout needs a number of seconds");

  // The descriptions come from the project named, else from the designer's work copy, as the reception
  // window shows them from the menu open in the designer.
  MenuDocument doc;
  if (options.Positional().size() == 1) {
    LoadedProject project;
    if (!LoadProjectFile(options.Positional()[0], project)) return kExitError;
    doc = std::move(*project.doc);
  } else {
    doc.ProjectBase = WorkBase();
    ReadProjectFiles(doc);
  }

  KestrelBinding library;
  ReceptionSession session(library);
  if (!address.empty() && !library.SetPortAddress(port, address)) {
    return Fail("this radio library reaches its ports by number only, not at " + address);
  }
  if (!session.Open(port)) return Fail(NotOpened(port, library.LastError()));
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(*timeout);
  long wanted = static_cast<long>(*count);
  long received = 0;
  bool answering = true;
  while (!interrupted && (wanted == 0 || received < wanted)) {
    if (*timeout > 0 && std::chrono::steady_clock::now() >= deadline) break;
    ReceptionSession::PollResult poll = session.Poll();
    // A base that stops answering is told once, and again when it is back; polling goes on meanwhile.
    if ((poll.kind == ReceptionSession::PollResult::kNoAnswer) == answering) {
      answering = !answering;
      if (answering) {
        std::cerr << "tabulo: the base station on port " << port << " answers again" << std::endl;
      } else {
        std::cerr << "tabulo: the base station on port " << port << " stopped answering ("
                  << Shown(poll.error) << "); still trying" << std::endl;
      }
    }
    if (poll.kind != ReceptionSession::PollResult::kOrder) {
      std::this_thread::sleep_for(kPollInterval);
      continue;
    }
    const ReceivedOrder& order = poll.order;
    if (received > 0) std::cout << "\n";
    std::cout << "Terminal Number: " << order.terminal << "\nTable: " << order.table << "\n";
    for (const std::string& line : OrderDisplayLines(doc, order)) std::cout << Shown(line) << "\n";
    std::cout.flush();
    ++received;
  }
  session.Close();
  if (wanted > 0 && received < wanted) {
    std::cerr << "tabulo: " << received << " of " << wanted << " orders received before the "
              << (interrupted ? "interruption" : "timeout") << "\n";
    return answering ? kExitFindings : kExitError;
  }
  // Ended while the base was silent: what was received may not be all there was.
  return answering ? kExitOk : kExitError;
}

}  // namespace tabulo::cli
