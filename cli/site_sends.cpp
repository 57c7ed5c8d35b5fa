#include "cli/site_sends.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "cli/cli_support.h"
#include "designer/link/kestrel_binding.h"
#include "designer/link/transfer_estimate.h"

namespace tabulo::cli {
namespace {

// The port every site's send uses in its own process, mapped there to the site's address.
constexpr int kSitePort = 1;

volatile std::sig_atomic_t site_interrupted = 0;
void OnSiteInterrupt(int) {
  site_interrupted = 1;
}

bool WriteLine(int fd, const std::string& line) {
  std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// In a site's process: how far its transfer has come, told to the parent a few times a second.
class PipeProgress : public SendProgress {
 public:
  explicit PipeProgress(int fd) : fd_(fd) {}
  bool Transferred(long long done, long long total) override {
    auto now = std::chrono::steady_clock::now();
    if (done == total || now - told_ >= std::chrono::milliseconds(250)) {
      told_ = now;
      WriteLine(fd_, "P " + std::to_string(done) + " " + std::to_string(total));
    }
    return site_interrupted == 0;
  }

 private:
  int fd_;
  std::chrono::steady_clock::time_point told_{};
};

std::string OutcomeWord(SendOutcome outcome) {
  switch (outcome) {
    case SendOutcome::kSent:
      return "sent";
    case SendOutcome::kNotOpened:
      return "not-opened";
    case SendOutcome::kFailed:
      return "failed";
    case SendOutcome::kCancelled:
      return "cancelled";
    case SendOutcome::kUnknown:
      return "unconfirmed";
  }
  return "failed";
}

// The whole send of one site, in the child process; never returns.
[[noreturn]] void RunSiteSend(const MenuDocument& doc, SendSettings settings, const Site& site, int fd) {
  std::signal(SIGINT, OnSiteInterrupt);
  std::signal(SIGTERM, OnSiteInterrupt);
  std::string port_text = site.address;
  if (!port_text.empty() && port_text.find_first_not_of("0123456789") == std::string::npos) {
    settings.port = std::atoi(port_text.c_str());
  } else {
    settings.port = kSitePort;
    ::setenv(("KESTREL_PORT_" + std::to_string(kSitePort)).c_str(), site.address.c_str(), 1);
  }
  KestrelBinding library;
  PipeProgress progress(fd);
  SendResult result = SendMenu(doc, library, settings, &progress);
  std::string error = result.error;
  std::replace(error.begin(), error.end(), '\n', ' ');
  WriteLine(fd, "R " + OutcomeWord(result.outcome) + " " + std::to_string(result.items) + " " +
                    std::to_string(result.choices) + " " + error);
  ::close(fd);
  std::cout.flush();
  ::_exit(result.outcome == SendOutcome::kSent ? 0 : 1);
}

struct SiteRun {
  const Site* site = nullptr;
  pid_t pid = -1;
  int fd = -1;
  std::string buffer;
  TransferEstimate estimate;
  std::chrono::steady_clock::time_point started, ended;
  int shown_percent = -1;
  bool finished = false;
  std::string outcome;  // "sent", "failed", ... from the site's process; empty when it said nothing
  std::string detail;   // items and choices when sent, the reason when not
};

void ShowProgress(SiteRun& run) {
  int percent = run.estimate.Percent();
  // A line at every tenth, so that a log of many sites stays readable.
  if (percent / 10 == run.shown_percent / 10 && run.shown_percent >= 0) return;
  run.shown_percent = percent;
  std::cout << run.site->name << ": " << run.estimate.Text() << std::endl;
}

void TakeLine(SiteRun& run, const std::string& line) {
  std::istringstream in(line);
  std::string kind;
  in >> kind;
  if (kind == "P") {
    long long done = 0, total = 0;
    in >> done >> total;
    run.estimate.Update(done, total);
    ShowProgress(run);
  } else if (kind == "R") {
    int items = 0, choices = 0;
    in >> run.outcome >> items >> choices;
    std::string reason;
    std::getline(in, reason);
    size_t start = reason.find_first_not_of(' ');
    reason = start == std::string::npos ? "" : reason.substr(start);
    if (run.outcome == "sent") {
      run.detail = std::to_string(items) + " items, " + std::to_string(choices) + " modifier choices";
    } else if (run.outcome == "not-opened") {
      run.detail = "cannot open the link: " + reason;
    } else {
      const char* caption = run.outcome == "cancelled"     ? kSendCancelledCaption
                            : run.outcome == "unconfirmed" ? kSendUnconfirmedCaption
                                                           : kSendFailedCaption;
      run.detail = std::string(caption) + (reason.empty() ? "" : ": " + reason);
    }
  }
}

// Reads what the site's process told; false at its end.
bool ReadFrom(SiteRun& run) {
  char chunk[4096];
  ssize_t n = ::read(run.fd, chunk, sizeof chunk);
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) return false;
  run.buffer.append(chunk, static_cast<size_t>(n));
  size_t end;
  while ((end = run.buffer.find('\n')) != std::string::npos) {
    TakeLine(run, run.buffer.substr(0, end));
    run.buffer.erase(0, end + 1);
  }
  return true;
}

void Finish(SiteRun& run) {
  ::close(run.fd);
  run.fd = -1;
  int status = 0;
  while (::waitpid(run.pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.finished = true;
  run.ended = std::chrono::steady_clock::now();
  if (!run.outcome.empty()) {
    std::cout << run.site->name << ": " << (run.outcome == "sent" ? kSentCaption : "FAILED") << " ("
              << Shown(run.detail) << ")" << std::endl;
    return;
  }
  run.outcome = "failed";
  run.detail = WIFSIGNALED(status) ? "the send stopped on signal " + std::to_string(WTERMSIG(status))
                                   : "the send ended without a result";
  std::cout << run.site->name << ": FAILED (" << run.detail << ")" << std::endl;
}

}  // namespace

bool ReadSitesFile(const std::string& path, std::vector<Site>& sites, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open sites file " + path;
    return false;
  }
  std::set<std::string> names, addresses;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    size_t last = line.find_last_not_of(" \t");
    line = line.substr(first, last - first + 1);
    size_t gap = line.find_last_of(" \t");
    std::string where = path + ":" + std::to_string(number) + ": ";
    if (gap == std::string::npos) {
      error = where + "a site needs a name and a port address";
      return false;
    }
    Site site{line.substr(0, line.find_last_not_of(" \t", gap) + 1), line.substr(gap + 1)};
    if (!names.insert(site.name).second) {
      error = where + "site " + site.name + " is named twice";
      return false;
    }
    // Two sends at once to one base would only take turns at its port and fail.
    if (!addresses.insert(site.address).second) {
      error = where + "port address " + site.address + " is given twice";
      return false;
    }
    sites.push_back(std::move(site));
  }
  if (sites.empty()) {
    error = "sites file " + path + " names no site";
    return false;
  }
  return true;
}

int SendToSites(const MenuDocument& doc, const SendSettings& settings, const std::vector<Site>& sites,
                int jobs) {
  std::cout.flush();
  std::cerr.flush();
  // An interruption reaches every site's process, which stops its transfer cleanly and reports it; this
  // process waits for their reports.
  auto previous_interrupt = std::signal(SIGINT, SIG_IGN);
  std::vector<SiteRun> runs(sites.size());
  size_t next = 0;
  size_t running = 0;
  auto start_next = [&]() {
    SiteRun& run = runs[next];
    run.site = &sites[next];
    ++next;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      run.finished = true;
      run.outcome = "failed";
      run.detail = std::string("cannot start its send: ") + std::strerror(errno);
      return;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      std::signal(SIGINT, SIG_DFL);
      RunSiteSend(doc, settings, *run.site, fds[1]);
    }
    ::close(fds[1]);
    if (pid < 0) {
      ::close(fds[0]);
      run.finished = true;
      run.outcome = "failed";
      run.detail = std::string("cannot start its send: ") + std::strerror(errno);
      return;
    }
    run.pid = pid;
    run.fd = fds[0];
    run.started = std::chrono::steady_clock::now();
    ++running;
    std::cout << run.site->name << ": " << kSendingCaption << " to " << run.site->address << std::endl;
  };
  while (next < runs.size() || running > 0) {
    while (next < runs.size() && static_cast<int>(running) < jobs) start_next();
    std::vector<pollfd> watched;
    std::vector<SiteRun*> owners;
    for (SiteRun& run : runs) {
      if (run.fd < 0) continue;
      watched.push_back({run.fd, POLLIN, 0});
      owners.push_back(&run);
    }
    if (watched.empty()) continue;
    if (::poll(watched.data(), watched.size(), -1) < 0) continue;
    for (size_t i = 0; i < watched.size(); ++i) {
      if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!ReadFrom(*owners[i])) {
        Finish(*owners[i]);
        --running;
      }
    }
  }
  std::signal(SIGINT, previous_interrupt == SIG_ERR ? SIG_DFL : previous_interrupt);

  size_t sent = 0;
  for (const SiteRun& run : runs) sent += run.outcome == "sent";
  std::cout << "\nSent to " << sent << " of " << runs.size() << " sites";
  if (sent < runs.size()) std::cout << "; failed: " << runs.size() - sent;
  std::cout << "\n";
  for (const SiteRun& run : runs) {
    std::cout << "  " << (run.outcome == "sent" ? "sent    " : "FAILED  ") << run.site->name << " ("
              << run.site->address << "): " << run.detail;
    if (run.pid > 0) {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.2f",
                    std::chrono::duration<double>(run.ended - run.started).count());
      std::cout << "; " << seconds << " s";
    }
    std::cout << "\n";
  }
  std::cout.flush();
  return sent == runs.size() ? kExitOk : kExitFindings;
}

}  // namespace tabulo::cli
