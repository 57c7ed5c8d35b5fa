#pragma once
// The firmware image as it travels by radio: the image followed by two 16-bit sums that the receiving
// terminal checks before it takes the program. The firmware tool builds the message; the base-station
// simulator checks it. Both use this one unit so the two sides can never count differently.

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulo {

// The name the radio message is sent under.
inline constexpr const char* kTransferName = "VELT_PROG";

// `Checksum1` and `Checksum2`: a default value is `ResetChecksums`, Add is `Do_Checksum`. Each byte b counts
// as c = (b + 1) mod 256; sum 1 adds c, sum 2 is rotated left by one bit and then adds c.
struct FirmwareChecksum {
  uint16_t sum1 = 0;
  uint16_t sum2 = 0;
  void Add(uint8_t byte);
  void Add(std::string_view bytes) {
    for (char c : bytes) Add(static_cast<uint8_t>(c));
  }
};

// The image followed by sum 1 and sum 2 of its bytes, each low byte first.
std::string TransferMessage(std::string_view image);

// True when the last four bytes of a message are the sums of the bytes before them.
bool FirmwareMessageIntact(std::string_view message);

}  // namespace tabulo
