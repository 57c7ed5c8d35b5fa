// The radio transfer message: the image and its two sums, low bytes first, as the terminal checks them.

#include "base/transfer_message.h"

#include <gtest/gtest.h>

namespace tabulo {
namespace {

TEST(TransferMessage, CarriesTheImageAndItsSumsLowBytesFirst) {
  // Bytes 0 and 255 count as 1 and 0: sum 1 is 1, sum 2 is (1 rotated) + 0 = 2.
  std::string image("\x00\xff", 2);
  FirmwareChecksum sums;
  sums.Add(image);
  EXPECT_EQ(sums.sum1, 1);
  EXPECT_EQ(sums.sum2, 2);
  EXPECT_EQ(TransferMessage(image), std::string("\x00\xff\x01\x00\x02\x00", 6));

  EXPECT_EQ(TransferMessage(""), std::string(4, '\0'));  // an empty image still ends in its sums
  // Sums past 16 bits wrap, and the rotation carries bit 15 round into bit 0.
  std::string big(70000, '\xfe');
  std::string message = TransferMessage(big);
  ASSERT_EQ(message.size(), big.size() + 4);
  EXPECT_EQ(message.compare(0, big.size(), big), 0);
  FirmwareChecksum wrapped;
  wrapped.Add(big);
  EXPECT_EQ(wrapped.sum1, static_cast<uint16_t>(70000u * 255u));
  EXPECT_EQ(static_cast<uint8_t>(message[big.size()]), wrapped.sum1 & 0xff);
  EXPECT_EQ(static_cast<uint8_t>(message[big.size() + 3]), wrapped.sum2 >> 8);
}

TEST(TransferMessage, TheReceiverTakesOnlyAnIntactMessage) {
  std::string image = "program bytes \x01\x80\xff";
  std::string message = TransferMessage(image);
  EXPECT_TRUE(FirmwareMessageIntact(message));
  for (size_t i = 0; i < message.size(); ++i) {
    std::string damaged = message;
    damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
    EXPECT_FALSE(FirmwareMessageIntact(damaged)) << "byte " << i;
  }
  // Two bytes swapped keep sum 1 but not sum 2.
  std::string swapped = message;
  std::swap(swapped[0], swapped[1]);
  EXPECT_FALSE(FirmwareMessageIntact(swapped));
  EXPECT_FALSE(FirmwareMessageIntact("abc"));
  EXPECT_FALSE(FirmwareMessageIntact(message.substr(0, message.size() - 1)));
}

}  // namespace
}  // namespace tabulo
