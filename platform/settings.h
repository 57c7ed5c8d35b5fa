#pragma once
// The per-user settings, read in one place for every program (the environment: base/environment.h).
//
// The settings file is $XDG_CONFIG_HOME/TABULO/TABULO.conf (~/.config when unset), in the INI form Qt's
// settings write: files written by earlier versions of the windows read as they are, and the command line,
// which loads no Qt, reads and writes the same settings as the windows.

#include <optional>
#include <string>

namespace tabulo {

// Keys are "Group/Name", as the windows have always named them.
inline constexpr const char* kPortSettingKey = "COM/ComPort";
// "true" when the terminals' firmware has no language option; the send window's box.
inline constexpr const char* kOldFirmwareSettingKey = "COM/OldFirmware";
inline constexpr const char* kFirmwareServerSettingKey = "Firmware/ServerFolder";

std::string SettingsFile();
// The stored value; nothing when the file or the key is missing.
std::optional<std::string> ReadSetting(const std::string& key);
// Stores the value, keeping every other line of the file; the file is replaced whole, so a kill never leaves
// half of it. False when it cannot be written.
bool WriteSetting(const std::string& key, const std::string& value);

}  // namespace tabulo
