#pragma once
// The three procedures that send a firmware to the hardware it is meant for ("Ementa" the menu terminal,
// "Terminal" another terminal, "Antena" the base station), the base probe, and the base's name and radio
// steps that follow them. Every step on the device is asked of the user through UserPrompts and every
// library call goes through KestrelApi, so the window, the tests and a script run the same sequence.

#include <string>

#include "designer/link/kestrel_api.h"
#include "firmloader/firmware_files.h"
#include "firmloader/tool_console.h"
#include "firmloader/transfer_message.h"
#include "firmloader/xml_scanner.h"
#include "platform/user_prompts.h"

namespace tabulo {

class FlashingProcedures {
 public:
  FlashingProcedures(KestrelApi& api, FirmwareFiles& files, UserPrompts& prompts, ToolConsole& console,
                     int com_port_number);

  // `List1_Click` without the list: sends the program `key` of the catalogue, then sets the base's radio and
  // name when the program names them, and logs "Done!". The window disables its list around it. True when
  // the device took the program.
  bool List1_Click(const XmlScanner& catalogue, const std::string& key);

  // Each is true when the device took the program.
  bool UpdateMenuTerminal(const std::string& name);
  bool UpdateTerminal(const std::string& name);
  bool UpdateBase(const std::string& name);

  // True when the base answers the probe, i.e. its program is running. (The original named the result
  // "failed", the other way round.) ProbeBase tries 19200 baud, then 38400, and keeps the speed that
  // answered as the base's.
  bool ProbeBase();
  bool ProbeBaseAtSpeed(int baud);

  void SetBaseName(const std::string& name);
  // The base's radio frequency as last read (0 when it could not be read).
  int SetBaseRadio(int khz);

  int ComPortNumber() const { return port_; }
  int BaseBaudRate() const { return base_baud_rate_; }
  // The sums of the last image sent (`Checksum1`, `Checksum2`).
  const FirmwareChecksum& Checksums() const { return checksums_; }

 private:
  // The radio send step, done twice; false when the port could not be opened or there was no image, and
  // the procedure then ends.
  bool RadioSend(int settle_ms);
  // The firmware made ready for this program; false (NetError set) when it is not to be sent.
  bool FetchFirmware(const std::string& name, const char* online_log);
  // Reads the base's status into `status`; shows the error message when it cannot.
  bool ReadStatus(std::string& status);

  KestrelApi& api_;
  FirmwareFiles& files_;
  UserPrompts& prompts_;
  ToolConsole& console_;
  int port_;
  int base_baud_rate_ = 19200;
  FirmwareChecksum checksums_;
};

}  // namespace tabulo
