// kestrel-basesim: a base station with its terminals on a pseudo-terminal, for running the designer, the
// firmware tool and the tests without hardware.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    "  --link PATH        also make PATH a symbolic link to the device (removed on exit)\n"
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
    "  --delay MS         wait MS milliseconds before each answer\n"
    "  --silent-after N   answer nothing after the Nth frame received (a base that goes away)\n"
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

uint32_t LineBaud(int master) {
  termios tio{};
  if (::tcgetattr(master, &tio) != 0) return 0;
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

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd out{fd, POLLOUT, 0};
      ::poll(&out, 1, 100);
    } else {
      return false;
    }
  }
  return true;
}

int Usage(const std::string& message) {
  std::cerr << "kestrel-basesim: " << message << "\n(see kestrel-basesim --help)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kestrel::BaseSettings settings;
  std::string link_path, orders_path;
  long delay_ms = 0;
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
               arg == "--delay" || arg == "--silent-after") {
      const char* text = value();
      if (!text ||
          !NumberOption(text, arg == "--radio" ? 0 : 1, arg == "--radio" ? 99999 : 10000000, number)) {
        return Usage(arg + " needs a number");
      }
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

  std::string stdin_text;
  bool stdin_open = orders_from_stdin;
  while (!stop_requested) {
    pollfd fds[2] = {{master, POLLIN, 0}, {stdin_open ? 0 : -1, POLLIN, 0}};
    int ready = ::poll(fds, 2, 50);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) {
      station.Idle();
      continue;
    }
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
    if (fds[0].revents & POLLIN) {
      char buffer[8192];
      ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) {
        std::string reply =
            station.Receive(std::string_view(buffer, static_cast<size_t>(n)), LineBaud(master));
        if (!reply.empty()) {
          if (delay_ms > 0) ::usleep(static_cast<useconds_t>(delay_ms) * 1000);
          WriteAll(master, reply);
        }
      }
    }
  }
  if (!link_path.empty()) ::unlink(link_path.c_str());
  ::close(slave);
  ::close(master);
  return 0;
}
