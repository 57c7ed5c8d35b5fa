#include "firmloader/flashing_procedures.h"

#include <optional>
#include <utility>

#include "designer/document/numbers.h"
#include "firmloader/program_catalogue.h"

namespace tabulo {
namespace {

constexpr int kBaseCommandBaud = 19200;
constexpr int kBaseFastBaud = 38400;
constexpr int kBootLoaderBaud = 115200;
constexpr int kReadTimeoutMs = 100;
// A probe reads until the line is quiet. A line that never goes quiet (a noisy cable, a base stuck
// sending) would keep it reading for ever; this many bytes are more than any answer.
constexpr int kMostProbeBytes = 4096;

// The base status by position, 1-based, as the status text lays it out; shorter when the text is short.
std::string Field(const std::string& status, size_t position, size_t length) {
  if (position - 1 >= status.size()) return {};
  return status.substr(position - 1, length);
}

std::string NameField(const std::string& status) {
  return Field(status, 4, 5);
}
std::string RadioField(const std::string& status) {
  return Field(status, 14, 5);
}

}  // namespace

FlashingProcedures::FlashingProcedures(KestrelApi& api, FirmwareFiles& files, UserPrompts& prompts,
                                       ToolConsole& console, int com_port_number, ProcedureLimits limits)
    : api_(api),
      files_(files),
      prompts_(prompts),
      console_(console),
      port_(com_port_number),
      limits_(std::move(limits)) {}

bool FlashingProcedures::FlashProgram(const XmlScanner& catalogue, const std::string& key) {
  files_.ClearNetError();
  given_up_ = false;
  ProgramEntry program = ReadProgram(catalogue, key);
  bool sent = false;
  bool settings_set = true;
  if (std::string problem = BaseSettingsProblem(program, key); !problem.empty()) {
    console_.AddLog(problem);
    prompts_.Message(problem);
  } else if (std::optional<std::string> name = FirmwareNameOf(program, key, console_)) {
    if (program.Hardware == "Ementa") {
      sent = UpdateMenuTerminal(*name);
    } else if (program.Hardware == "Terminal") {
      sent = UpdateTerminal(*name);
    } else if (program.Hardware == "Antena") {
      sent = UpdateBase(*name);
    } else {
      console_.AddLog("Unknown hardware \"" + program.Hardware + "\" for program " + key + ".");
    }
  }
  // The base's radio and name are set only after a program was sent: after a cancelled or failed send the
  // user is dealing with a device that is not in a known state, and a base left cleared does not answer.
  if (sent) {
    if (std::optional<int> khz = RadioKhzValue(program.RadioKhz)) settings_set = SetBaseRadio(*khz) == *khz;
    if (!program.BaseName.empty()) settings_set = SetBaseName(program.BaseName) && settings_set;
  }
  if (given_up_) console_.AddLog("No more answers: the procedure was given up.");
  if (!sent) {
    console_.AddLog("The program was not sent.");
  } else if (!settings_set) {
    console_.AddLog("The program was sent, but the base's settings were not all set.");
  } else {
    console_.AddLog("Done!");
  }
  return sent && settings_set;
}

bool FlashingProcedures::Ask(const std::string& question) {
  bool yes = prompts_.YesNo(question);
  if (limits_.answers_ended && limits_.answers_ended()) given_up_ = true;
  return yes && !given_up_;
}

void FlashingProcedures::Tell(const std::string& text) {
  prompts_.Message(text);
  if (limits_.answers_ended && limits_.answers_ended()) given_up_ = true;
}

bool FlashingProcedures::AnotherPass(int& passes) {
  if (limits_.max_passes > 0 && ++passes >= limits_.max_passes) {
    console_.AddLog("The device did not take the program in " + std::to_string(passes) +
                    " passes: the procedure ends.");
    return false;
  }
  return true;
}

bool FlashingProcedures::FetchFirmware(const std::string& name, const char* online_log) {
  if (files_.InternetConexion() && online_log) console_.AddLog(online_log);
  if (files_.DownloadProgramFile(name) && !files_.NetError()) return true;
  if (!files_.CacheDamaged()) return false;
  if (!Ask("The offline copy of " + name +
           " is damaged and is not sent. Fetch it again from the internet? (The PC must be connected.)")) {
    return false;
  }
  files_.ClearNetError();
  console_.AddLog("Reading last version from Internet...");
  return files_.FetchFirmware(name);
}

bool FlashingProcedures::UpdateTerminal(const std::string& name) {
  Tell("Please reset the terminal, during the booting process press 'Del' key.");
  if (given_up_) return false;
  Tell("Password is 5293");
  if (given_up_ || !FetchFirmware(name, "Reading last version from Internet")) return false;

  bool through_base = Ask("Do you wish to update the terminal using the Base?");
  if (given_up_) return false;
  int passes = 0;
  if (through_base) {
    Tell("If the first line is '1 - Radio Config', press '1' put '91,7' on configurations");
    if (given_up_) return false;
    Tell("Choose option '8 - Radio Download'");
    if (given_up_) return false;
    console_.WaitMilliseconds(10000);
    if (!ProbeBase()) {
      prompts_.Message("Error communicating with Base. Please check Base software.");
      return false;
    }
    for (;;) {
      console_.AddLog("Sending to the terminal. Terminal should beep while receiving.");
      if (!RadioSend(7000)) return false;
      bool beeped = Ask("The Terminal Beeped?");
      if (given_up_) return false;
      if (beeped) {
        bool received = Ask("The Terminal received the program?");
        if (given_up_) return false;
        if (received) {
          console_.WaitMilliseconds(10000);
          return true;
        }
        if (!AnotherPass(passes)) return false;
        continue;
      }
      bool blinking = Ask("The Base light was blinking while sending?");
      if (given_up_) return false;
      if (!blinking) {
        prompts_.Message("Unknown problem ...");
        return false;
      }
      Tell("The problem must be the Radio BaudRate");
      if (given_up_) return false;
      Tell("Check the radio configurations on the terminal.(Option 1) , check if the values are 91, 7");
      if (given_up_ || !AnotherPass(passes)) return false;
      console_.AddLog("Trying again...");
      console_.WaitMilliseconds(3000);
    }
  }

  Tell("Put terminal on cradle, connect cradle to PC and power it.");
  if (given_up_) return false;
  Tell("Choose option '7 - Rs232 Download'.");
  if (given_up_) return false;
  console_.WaitMilliseconds(10000);
  for (;;) {
    console_.AddLog("Sending to serial...");
    if (!SerialSend()) return false;
    bool received = Ask("The terminal received the program?");
    if (given_up_) return false;
    if (received) return true;
    if (!AnotherPass(passes)) return false;
  }
}

bool FlashingProcedures::UpdateMenuTerminal(const std::string& name) {
  Tell("Remove battery, Insert battery and press the last right key while booting.");
  if (given_up_) return false;
  Tell("Password is 5293, then press option 7");
  if (given_up_ || !FetchFirmware(name, "Reading last version from the internet...")) return false;
  console_.WaitMilliseconds(10000);
  if (!ProbeBase()) {
    prompts_.Message("Error communicating with Base!");
    return false;
  }
  for (int passes = 0;;) {
    console_.AddLog("Sending to the Tabulo. Wait!");
    if (!RadioSend(8000)) return false;
    bool received = Ask("The Tabulo received the program?");
    if (given_up_) return false;
    if (received) return true;
    if (!AnotherPass(passes)) return false;
    console_.AddLog("Trying again...");
    console_.WaitMilliseconds(3000);
  }
}

bool FlashingProcedures::UpdateBase(const std::string& name) {
  bool sure = Ask("Are you sure you want to update the Base firmware?");
  if (!sure || given_up_) return false;
  int clearing_pass = 0;
  while (ProbeBase()) {
    // The base still runs its program: it has to be cleared before the boot loader takes a new one.
    console_.AddLog("Clearing Base firmware...");
    api_.B_ClearBaseProgram(port_, kBaseCommandBaud);
    api_.B_ClearBaseProgram(port_, kBaseFastBaud);
    if (clearing_pass == 2) {
      console_.AddLog("Please disconnect base from the power and connect it again.");
      console_.WaitMilliseconds(30000);
    }
    console_.AddLog("Base should Beep, wait some seconds...");
    console_.WaitMilliseconds(10000);
    if (++clearing_pass > 5) {
      prompts_.Message("Can't clear the old firmware, please contact Velt for help.");
      return false;
    }
  }

  if (!files_.InternetConexion()) console_.WaitMilliseconds(15000);
  if (!FetchFirmware(name, "Reading last version from Internet...")) return false;
  for (int failures = 0;;) {
    if (!api_.IO_Open(port_, kBootLoaderBaud)) {
      prompts_.Message("Error Opening ComPort");
      return false;
    }
    if (api_.ChangeBaseNameAntenaFast(port_, "!DOWN") != 0) console_.WaitMilliseconds(200);
    api_.IO_Close(port_);
    console_.AddLog("Sending to Base using serial port...");
    if (!SerialSend()) return false;
    console_.AddLog("Please wait while Base is saving the program...");
    console_.WaitMilliseconds(45000);
    if (ProbeBase()) {
      console_.AddLog("Base should beep and it's OK.");
      return true;
    }
    console_.AddLog("Let's try again...");
    console_.WaitMilliseconds(1000);
    if (failures == 2) {
      console_.AddLog("Please disconnect base from the power and connect it again.");
      console_.WaitMilliseconds(30000);
    }
    if (++failures > 5) {
      console_.AddLog("Base should have some problem or Serial port is not working properly.");
      console_.WaitMilliseconds(5000);
      return false;
    }
  }
}

bool FlashingProcedures::SerialSend() {
  // The library reads the file itself; it is checked first, so that what goes out is what was verified.
  std::string image;
  if (!files_.ReadyImage(image)) return false;
  api_.B_Rs232UploadProgram(files_.PathOf(kFirmwareBody), port_);
  return true;
}

bool FlashingProcedures::RadioSend(int settle_ms) {
  for (int round = 0; round < 2; ++round) {
    api_.B_PutBaseUpload(port_, base_baud_rate_);
    console_.WaitMilliseconds(1000);
    if (!api_.IO_Open(port_, base_baud_rate_)) return false;
    std::string image;
    // The image made ready by the fetch, and nothing else: one that has gone or changed since is not sent.
    if (!files_.ReadyImage(image)) {
      api_.IO_Close(port_);
      return false;
    }
    checksums_ = {};
    checksums_.Add(image);
    api_.Send_Message_Without_Confirmation_devkit(port_, kTransferName, TransferMessage(image), 1, 200);
    console_.WaitMilliseconds(settle_ms);
    api_.IO_Close(port_);
  }
  return true;
}

bool FlashingProcedures::ProbeBaseAtSpeed(int baud) {
  if (!api_.IO_Open(port_, baud)) return false;
  std::string byte;
  for (int i = 0; i < kMostProbeBytes && api_.IO_Read(port_, 1, byte, kReadTimeoutMs) == 1; ++i) {
  }
  api_.IO_Write(port_, "+");
  int reads = 0;
  char last = 'X';
  while (reads < kMostProbeBytes && api_.IO_Read(port_, 1, byte, kReadTimeoutMs) == 1) {
    ++reads;
    if (!byte.empty()) last = byte[0];
  }
  api_.IO_Close(port_);
  return (reads > 0 && last == '-') || reads >= 2;
}

bool FlashingProcedures::ProbeBase() {
  for (int baud : {kBaseCommandBaud, kBaseFastBaud}) {
    // The speed the base answered at is the one to talk to it at: a radio transfer sent at another speed
    // reaches nobody, and the user would be asked again and again whether the terminal received it.
    if (ProbeBaseAtSpeed(baud)) {
      base_baud_rate_ = baud;
      return true;
    }
  }
  return false;
}

bool FlashingProcedures::ReadStatus(std::string& status) {
  status.clear();
  if (api_.B_BaseGetStatus(port_, base_baud_rate_, status) != 0) return true;
  prompts_.Message("Error communicating with Base");
  return false;
}

bool FlashingProcedures::SetBaseName(const std::string& name) {
  console_.AddLog("Changing base name to :" + name);
  std::optional<std::string> wanted = BaseNameBytes(name);
  if (!wanted) {
    // Refused before the base is asked anything: it would keep only the characters that fit.
    prompts_.Message("The base name \"" + name + "\" does not fit the base: it was not changed.");
    return false;
  }
  std::string status;
  if (!ReadStatus(status)) return false;
  // A status without a usable rate keeps the one that just worked.
  if (int baud = IntegerValue(Field(status, 19, 6)); baud > 0) base_baud_rate_ = baud;
  // The field is compared as it stands, so a name shorter than five characters is always sent again.
  if (*wanted == NameField(status)) return true;
  api_.B_SetBaseName(port_, base_baud_rate_, *wanted, 0, 0);
  if (!ReadStatus(status)) return false;
  // The check after the change compares without the field's padding: a shorter name the base took is no
  // error.
  if (*wanted == Trim(NameField(status))) return true;
  prompts_.Message("Error trying to change the Base configurations!");
  return false;
}

int FlashingProcedures::SetBaseRadio(int khz) {
  console_.AddLog("Changing radio speed to :" + DecimalText(khz));
  if (!RadioKhzValue(DecimalText(khz))) {
    prompts_.Message("The radio frequency " + DecimalText(khz) +
                     " is not one the base holds: it was not changed.");
    return 0;
  }
  std::string status;
  if (!ReadStatus(status)) return 0;
  if (int baud = IntegerValue(Field(status, 19, 6)); baud > 0) base_baud_rate_ = baud;
  int current = IntegerValue(RadioField(status));
  std::string wanted = DecimalText(khz);
  if (wanted == RadioField(status)) return current;
  api_.B_SetBaseRadio(port_, base_baud_rate_, 0, khz, 0);
  if (!ReadStatus(status)) return current;
  current = IntegerValue(RadioField(status));
  if (wanted != Trim(RadioField(status))) prompts_.Message("Error trying to change the Base configurations!");
  return current;
}

}  // namespace tabulo
