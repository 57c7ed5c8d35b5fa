// kestrel-basesim: a base station with its terminals on a pseudo-terminal, for running the designer, the
// firmware tool and the tests without hardware.

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <string>

#include "kestrel/base_station.h"

namespace {

constexpr const char* kHelp =
    "usage: kestrel-basesim [OPTIONS]\n"
    "\n"
    "Plays a Kestrel base station and its terminals on a new pseudo-terminal. The device path is printed on\n"
    "the first line of standard output (\"kestrel-basesim: listening on /dev/pts/N\"); point a port at it "
    "with\n"
    "KESTREL_PORT_N=PATH or a line N=PATH in ~/.config/kestrel/ports.conf.\n"
    "\n"
    "Bytes cross the line as slowly as on a real serial line, in both directions: 10 bits a byte (8N1) at\n"
    "the speed the port is set to, and each answer starts after the base's turnaround.\n"
    "\n"
    "  --line-rate BAUD   carry the bytes at BAUD whatever speed the port is set to (a program that times\n"
    "                     its waits for the port's speed then finds its answers early or late)\n"
    "  --turnaround MS    the base's delay between a request and its answer (default 3)\n"
    "  --instant          hand bytes over at once (for unit tests that need speed; no real line does this)\n"
    "  --link PATH        also make PATH a symbolic link to the device (removed on exit); an existing PATH "
    "is\n"
    "                     replaced only when it is such a link (to a pseudo-terminal), never another file\n"
    "  --menu-out FILE    store each menu that arrives whole as JSON in FILE (replaced by the next one);\n"
    "                     a menu that arrives damaged or incomplete is never stored\n"
    "  --orders FILE      orders the terminals send, read from FILE (\"-\": standard input, read as typed):\n"
    "                       order TERMINAL TABLE      starts an order\n"
    "                       PLU QUANTITY              one line of it (as many as wanted)\n"
    "                     a blank line, \"end\", the next \"order\" or the end of input completes it;\n"
    "                     \"#\" starts a comment. Each order is delivered once, at the next poll.\n"
    "  --events FILE      append one JSON line per event (menu stored or refused, order delivered, name,\n"
    "                     radio, program cleared or clearing ignored, firmware received with its checksum\n"
    "                     verdict)\n"
    "  --name NAME        base name reported by the status call (5 characters; default KBASE)\n"
    "  --radio KHZ        radio frequency in kHz reported by the status call (default 43392)\n"
    "  --baud RATE        the base's serial speed (default 38400); frames and the probe are answered only "
    "at\n"
    "                     this speed, the boot loader listens at 115200\n"
    "  --cleared          start with the program cleared: no answer to the probe \"+\", the boot loader "
    "waits\n"
    "                     for \"!DOWN\" and a program at 115200 baud\n"
    "  --never-clears     acknowledge clearing the program but keep running it (a base that needs help)\n"
    "  --drop N           ignore every Nth frame received, as if lost on the line\n"
    "  --corrupt N        damage one byte of every Nth frame sent\n"
    "  --delay MS         wait MS milliseconds more before each answer\n"
    "  --silent-after N   answer nothing after the Nth frame received (a base that goes away)\n"
    "  --lose-end-answers store or load what a transfer's end completes, but lose the answer on the line\n"
    "  --help             this text\n"
    "\n"
    "Answers the byte-level probe (\"+\" -> \"-\") while its program runs, the status calls with its name,\n"
    "radio frequency and baud rate, name and radio changes, clearing the program, and firmware over serial\n"
    "(base or terminal cradle) and by radio (checking the two 16-bit sums that follow the image).\n"
    "Runs until interrupted.\n";

volatile std::sig_atomic_t stop_requested = 0;
void OnSignal(int) {
  stop_requested = 1;
}

bool NumberOption(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return *text && *end == '\0' && value >= low && value <= high;
}

using Clock = std::chrono::steady_clock;

// Bytes on their way across the line: each takes `per_byte`, the first starting at `start`.
struct OnTheLine {
  std::string bytes;
  Clock::time_point start;
  Clock::duration per_byte{};
  uint32_t port_baud = 0;  // the speed the port was set to when they were sent
  size_t across = 0;       // bytes that have crossed already

  Clock::time_point AcrossAt(size_t count) const { return start + per_byte * static_cast<long>(count); }
  // How many have crossed by `now`.
  size_t AcrossBy(Clock::time_point now) const {
    if (per_byte.count() == 0 || now >= AcrossAt(bytes.size())) return bytes.size();
    if (now <= start) return 0;
    return static_cast<size_t>((now - start) / per_byte);
  }
  Clock::time_point NextAcrossAt() const { return AcrossAt(across + 1); }
};

// The pseudo-terminal paced as a UART: what the program writes reaches the base only once it has crossed
// the line, and the base's answers reach the program at the same speed, after its turnaround.
class PacedLine {
 public:
  PacedLine(int master, kestrel::BaseStation& station, bool instant, uint32_t forced_baud,
            Clock::duration turnaround)
      : master_(master),
        station_(station),
        instant_(instant),
        forced_baud_(forced_baud),
        turnaround_(turnaround) {}

  // Takes what the program wrote.
  void Read(Clock::time_point now) {
    char buffer[8192];
    ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    uint32_t port_baud = PortBaud();
    OnTheLine chunk{std::string(buffer, static_cast<size_t>(n)), std::max(now, inbound_free_),
                    PerByte(port_baud), port_baud};
    inbound_free_ = chunk.AcrossAt(chunk.bytes.size());
    inbound_.push_back(std::move(chunk));
    quiet_since_ = now;
  }

  // Hands the base what has crossed, queues its answers, and writes what of them has crossed.
  void Step(Clock::time_point now) {
    while (!inbound_.empty()) {
      OnTheLine& chunk = inbound_.front();
      size_t across = chunk.AcrossBy(now);
      if (across > chunk.across) {
        std::string answer = station_.Receive(
            std::string_view(chunk.bytes).substr(chunk.across, across - chunk.across), chunk.port_baud);
        Clock::time_point last_byte = chunk.AcrossAt(across);
        chunk.across = across;
        quiet_since_ = std::max(quiet_since_, last_byte);
        if (!answer.empty()) Answer(std::move(answer), last_byte + turnaround_);
      }
      if (chunk.across < chunk.bytes.size()) break;
      inbound_.pop_front();
    }
    // A frame begun whose bytes stopped coming will not complete: the base gives it up as the library does.
    if (inbound_.empty() && now - quiet_since_ >= kQuiet) {
      station_.Idle();
      quiet_since_ = now;
    }
    while (!outbound_.empty()) {
      OnTheLine& chunk = outbound_.front();
      size_t across = chunk.AcrossBy(now);
      while (chunk.across < across) {
        ssize_t n = ::write(master_, chunk.bytes.data() + chunk.across, across - chunk.across);
        if (n <= 0) {
          retry_at_ = now + std::chrono::milliseconds(10);  // the program does not read: try again later
          return;
        }
        chunk.across += static_cast<size_t>(n);
      }
      if (chunk.across < chunk.bytes.size()) break;
      outbound_.pop_front();
    }
  }

  // How long nothing is due.
  int WaitMs(Clock::time_point now) const {
    Clock::time_point next = now + kQuiet;
    if (!inbound_.empty()) next = std::min(next, inbound_.front().NextAcrossAt());
    if (inbound_.empty()) next = std::min(next, quiet_since_ + kQuiet);
    if (!outbound_.empty()) next = std::min(next, std::max(outbound_.front().NextAcrossAt(), retry_at_));
    auto wait = std::chrono::duration_cast<std::chrono::microseconds>(next - now).count();
    return wait <= 0 ? 0 : static_cast<int>((wait + 999) / 1000);
  }

 private:
  static constexpr Clock::duration kQuiet = std::chrono::milliseconds(50);

  uint32_t PortBaud() const {
    termios tio{};
    if (::tcgetattr(master_, &tio) != 0) return 0;
    switch (::cfgetispeed(&tio)) {
      case B9600:
        return 9600;
      case B19200:
        return 19200;
      case B38400:
        return 38400;
      case B57600:
        return 57600;
      case B115200:
        return 115200;
      case B230400:
        return 230400;
      default:
        return 0;
    }
  }

  Clock::duration PerByte(uint32_t port_baud) const {
    if (instant_) return Clock::duration::zero();
    uint32_t baud = forced_baud_ ? forced_baud_ : port_baud ? port_baud : 9600;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(kestrel::ByteSeconds(baud)));
  }

  void Answer(std::string bytes, Clock::time_point ready) {
    if (instant_) ready = std::min(ready, Clock::now() + turnaround_);
    OnTheLine chunk{std::move(bytes), std::max(ready, outbound_free_), PerByte(PortBaud()), 0};
    outbound_free_ = chunk.AcrossAt(chunk.bytes.size());
    outbound_.push_back(std::move(chunk));
  }

  int master_;
  kestrel::BaseStation& station_;
  bool instant_;
  uint32_t forced_baud_;
  Clock::duration turnaround_;
  std::deque<OnTheLine> inbound_, outbound_;
  Clock::time_point inbound_free_ = Clock::now(), outbound_free_ = Clock::now();
  Clock::time_point quiet_since_ = Clock::now();
  Clock::time_point retry_at_;
};

// An existing --link path is replaced only when it is a symbolic link to a pseudo-terminal, as this
// program makes them (one left by a simulator that was killed); anything else is someone's file.
bool MayReplaceLink(const std::string& path, std::string& why) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return true;
  if (!S_ISLNK(info.st_mode)) {
    why = path + " exists and is not a link this program made; it is left alone";
    return false;
  }
  char target[4096];
  ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  std::string to = n > 0 ? std::string(target, static_cast<size_t>(n)) : "";
  if (to.rfind("/dev/pts/", 0) != 0) {
    why = path + " is a link to " + (to.empty() ? "nothing readable" : to) +
          ", not one this program made; it is left alone";
    return false;
  }
  return true;
}

bool LinkPointsAt(const std::string& path, const std::string& device) {
  char target[4096];
  ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 && std::string(target, static_cast<size_t>(n)) == device;
}

int Usage(const std::string& message) {
  std::cerr << "kestrel-basesim: " << message << "\n(see kestrel-basesim --help)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kestrel::BaseSettings settings;
  std::string link_path, orders_path;
  long delay_ms = 0, turnaround_ms = 3, line_rate = 0;
  bool instant = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    long number = 0;
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (arg == "--cleared") {
      settings.program_running = false;
    } else if (arg == "--never-clears") {
      settings.keeps_program = true;
    } else if (arg == "--instant") {
      instant = true;
    } else if (arg == "--lose-end-answers") {
      settings.lose_end_answers = true;
    } else if (arg == "--link" || arg == "--menu-out" || arg == "--orders" || arg == "--events" ||
               arg == "--name") {
      const char* text = value();
      if (!text) return Usage(arg + " needs a value");
      if (arg == "--link") link_path = text;
      if (arg == "--menu-out") settings.menu_out = text;
      if (arg == "--orders") orders_path = text;
      if (arg == "--events") settings.events_out = text;
      if (arg == "--name") settings.name = std::string(text).substr(0, 5);
    } else if (arg == "--radio" || arg == "--baud" || arg == "--drop" || arg == "--corrupt" ||
               arg == "--delay" || arg == "--silent-after" || arg == "--line-rate" || arg == "--turnaround") {
      const char* text = value();
      bool may_be_zero = arg == "--radio" || arg == "--turnaround" || arg == "--delay";
      if (!text || !NumberOption(text, may_be_zero ? 0 : 1, arg == "--radio" ? 99999 : 10000000, number)) {
        return Usage(arg + " needs a number");
      }
      if (arg == "--line-rate") line_rate = number;
      if (arg == "--turnaround") turnaround_ms = number;
      if (arg == "--radio") settings.radio_khz = static_cast<uint32_t>(number);
      if (arg == "--baud") settings.baud = static_cast<uint32_t>(number);
      if (arg == "--drop") settings.drop_every = static_cast<int>(number);
      if (arg == "--corrupt") settings.corrupt_every = static_cast<int>(number);
      if (arg == "--delay") delay_ms = number;
      if (arg == "--silent-after") settings.silent_after = static_cast<int>(number);
    } else {
      return Usage("unknown option " + arg);
    }
  }

  kestrel::BaseStation station(settings);
  kestrel::OrderReader orders(station);
  bool orders_from_stdin = orders_path == "-";
  if (!orders_path.empty() && !orders_from_stdin) {
    std::ifstream in(orders_path);
    if (!in) return Usage("cannot read orders from " + orders_path);
    std::string line, error;
    for (int number = 1; std::getline(in, line); ++number) {
      if (!orders.Line(line, error))
        std::cerr << "kestrel-basesim: " << orders_path << ":" << number << ": " << error << "\n";
    }
    orders.Finish();
  }

  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::perror("kestrel-basesim: pseudo-terminal");
    return 1;
  }
  std::string device = ::ptsname(master);
  // Our own hold on the device keeps it alive between the programs that open and close it, and starts it
  // raw so that nothing is echoed before a program sets it up.
  int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave < 0 || ::tcgetattr(slave, &tio) != 0) {
    std::perror("kestrel-basesim: pseudo-terminal");
    return 1;
  }
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  ::tcsetattr(slave, TCSANOW, &tio);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

  if (!link_path.empty()) {
    std::string why;
    if (!MayReplaceLink(link_path, why)) {
      std::cerr << "kestrel-basesim: " << why << "\n";
      return 1;
    }
    ::unlink(link_path.c_str());
    if (::symlink(device.c_str(), link_path.c_str()) != 0) {
      std::perror(("kestrel-basesim: link " + link_path).c_str());
      return 1;
    }
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);
  std::cout << "kestrel-basesim: listening on " << device << std::endl;

  PacedLine line(master, station, instant, static_cast<uint32_t>(line_rate),
                 std::chrono::milliseconds(turnaround_ms + delay_ms));
  std::string stdin_text;
  bool stdin_open = orders_from_stdin;
  while (!stop_requested) {
    auto now = Clock::now();
    line.Step(now);
    pollfd fds[2] = {{master, POLLIN, 0}, {stdin_open ? 0 : -1, POLLIN, 0}};
    int wait = line.WaitMs(Clock::now());
    int ready = ::poll(fds, 2, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) continue;
    if (fds[1].revents & (POLLIN | POLLHUP)) {
      char buffer[4096];
      ssize_t n = ::read(0, buffer, sizeof buffer);
      if (n <= 0) {
        stdin_open = false;
        orders.Finish();
      } else {
        stdin_text.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = stdin_text.find('\n')) != std::string::npos) {
          std::string error;
          if (!orders.Line(stdin_text.substr(0, end), error))
            std::cerr << "kestrel-basesim: " << error << "\n";
          stdin_text.erase(0, end + 1);
        }
      }
    }
    if (fds[0].revents & POLLIN) line.Read(Clock::now());
  }
  if (!link_path.empty() && LinkPointsAt(link_path, device)) ::unlink(link_path.c_str());
  ::close(slave);
  ::close(master);
  return 0;
}
