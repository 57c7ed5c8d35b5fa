#pragma once
// The three procedures that send a firmware to the hardware it is meant for ("Ementa" the menu terminal,
// "Terminal" another terminal, "Antena" the base station), the base probe, and the base's name and radio
// steps that follow them. Every step on the device is asked of the user through UserPrompts and every
// library call goes through KestrelApi, so the window, the tests and a script run the same sequence.

#include <functional>
#include <string>

#include "base/transfer_message.h"
#include "designer/link/kestrel_api.h"
#include "firmloader/firmware_files.h"
#include "firmloader/tool_console.h"
#include "firmloader/xml_scanner.h"
#include "platform/user_prompts.h"

namespace tabulo {

// How long the procedures keep asking. In the window the user sees every pass and decides, so the retry
// loops go on as long as the user answers that the device did not take the program. A script cannot see
// the device: its passes are bounded, and the end of its answers gives the procedure up.
struct ProcedureLimits {
  // Passes of a retry loop the user repeats by answering; 0 for no limit.
  int max_passes = 0;
  // True once no more answers can come; then the procedure is given up at the next question.
  std::function<bool()> answers_ended;
};

// The passes a script gets: as many as the base procedure's own attempts.
inline constexpr int kScriptMaxPasses = 6;

class FlashingProcedures {
 public:
  FlashingProcedures(KestrelApi& api, FirmwareFiles& files, UserPrompts& prompts, ToolConsole& console,
                     int com_port_number, ProcedureLimits limits = {});

  // What a click on a program of the window's list does (`List1_Click`): sends the program `key` of the
  // catalogue, then sets the base's radio and name when the program names them. A program whose radio or name
  // cannot be set on a base is refused before anything reaches the device. The log ends with "Done!" only
  // when all of it was done; the window disables its list around it. True when the device took the program
  // and its settings.
  bool FlashProgram(const XmlScanner& catalogue, const std::string& key);

  // Each is true when the device took the program.
  bool UpdateMenuTerminal(const std::string& name);
  bool UpdateTerminal(const std::string& name);
  bool UpdateBase(const std::string& name);

  // True when the base answers the probe, i.e. its program is running. (The original named the result
  // "failed", the other way round.) ProbeBase tries 19200 baud, then 38400, and keeps the speed that
  // answered as the base's.
  bool ProbeBase();
  bool ProbeBaseAtSpeed(int baud);

  // `name` as the catalogue has it; true when the base holds it afterwards.
  bool SetBaseName(const std::string& name);
  // The base's radio frequency as last read (0 when it could not be read).
  int SetBaseRadio(int khz);

  int ComPortNumber() const { return port_; }
  int BaseBaudRate() const { return base_baud_rate_; }
  // The sums of the last image sent (`Checksum1`, `Checksum2`).
  const FirmwareChecksum& Checksums() const { return checksums_; }
  // The last procedure ended because no more answers could come.
  bool GivenUp() const { return given_up_; }

 private:
  // The radio send step, done twice; false when the port could not be opened or there was no image, and
  // the procedure then ends.
  bool RadioSend(int settle_ms);
  // The serial send of the image made ready; false when it is not the one made ready any more.
  bool SerialSend();
  // The firmware made ready for this program; false (NetError set) when it is not to be sent. A damaged
  // offline copy is refused, and the user may fetch it again.
  bool FetchFirmware(const std::string& name, const char* online_log);
  // Reads the base's status into `status`; shows the error message when it cannot.
  bool ReadStatus(std::string& status);
  // A question and a message of a procedure; after either, `given_up_` says whether the answers ended.
  bool Ask(const std::string& question);
  void Tell(const std::string& text);
  // Counts a pass of a retry loop; false (with a log line) when the limit is reached.
  bool AnotherPass(int& passes);

  KestrelApi& api_;
  FirmwareFiles& files_;
  UserPrompts& prompts_;
  ToolConsole& console_;
  int port_;
  ProcedureLimits limits_;
  int base_baud_rate_ = 19200;
  bool given_up_ = false;
  FirmwareChecksum checksums_;
};

}  // namespace tabulo
