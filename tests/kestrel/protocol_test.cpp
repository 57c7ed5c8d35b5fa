// The shared protocol: frames found in noise and damage, payload codecs, and the base station's handling of
// repeated requests and incomplete transfers.

#include "kestrel/protocol.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "kestrel/base_station.h"
#include "kestrel/serial_port.h"
#include "tests/support/temp_folder.h"

namespace kestrel {
namespace {

std::vector<FrameParser::Event> Drain(FrameParser& parser) {
  std::vector<FrameParser::Event> events;
  while (auto event = parser.Next()) events.push_back(*event);
  return events;
}

TEST(FrameParser, FindsFramesAmongStraysAndSkipsDamagedOnes) {
  Frame first{kHello, 7, "abc"};
  Frame second{kPoll, 8, std::string(300, '\xA5')};  // payload full of start bytes
  std::string good = EncodeFrame(first);
  std::string damaged = good;
  damaged[7] ^= 0x01;
  FrameParser parser;
  parser.Feed("+" + damaged + EncodeFrame(second) + "-");
  auto events = Drain(parser);
  ASSERT_GE(events.size(), 3u);
  EXPECT_FALSE(events.front().is_frame);
  EXPECT_EQ(events.front().stray, '+');
  std::vector<Frame> frames;
  for (const auto& e : events) {
    if (e.is_frame) frames.push_back(e.frame);
  }
  ASSERT_EQ(frames.size(), 1u) << "the damaged frame is dropped";
  EXPECT_EQ(frames[0].sequence, 8);
  EXPECT_EQ(frames[0].payload, second.payload);
  EXPECT_EQ(events.back().stray, '-');

  // Delivered byte by byte, a frame still comes out whole and only once.
  for (char c : good) parser.Feed(std::string(1, c));
  events = Drain(parser);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].frame.payload, "abc");
}

TEST(FrameParser, AFrameWhoseLengthWasDamagedIsGivenUpWhenTheLineFallsQuiet) {
  std::string frame = EncodeFrame({kHello, 1, "xyz"});
  std::string damaged = frame;
  damaged[4] = 0x40;  // promises 64 bytes that never come
  FrameParser parser;
  parser.Feed(damaged);
  EXPECT_TRUE(Drain(parser).empty());
  parser.Feed(frame);  // the repetition arrives behind it
  EXPECT_TRUE(Drain(parser).empty()) << "still waiting for the bytes the damaged length promised";
  parser.GiveUpPartial();
  bool found = false;
  for (const auto& e : Drain(parser)) found = found || (e.is_frame && e.frame.payload == "xyz");
  EXPECT_TRUE(found);
}

TEST(Codecs, MenuOpsOrdersAndBaseInfoRoundTrip) {
  std::vector<MenuOp> ops = {{kOpMkdir, "Sauces", "", 0, 0, 0, 0},
                             {kOpCd, "Sauces", "", 0, 0, 0, 0},
                             {kOpModifier, std::string(200, 'k'), "", 3, -71, 0, 0},
                             {kOpCdBack, "", "", 0, 0, 0, 0},
                             {kOpItem, "\x06\x0a", "2.50", 1, 145, 0, 0},
                             {kOpModifierGroup, "Sauces", "", 0, 2, 1, 0},
                             {kOpModifierMinMax, "Ice", "", 1, 0, 1, 0},
                             {kOpSetEntry, "names", "", 1530, 0, 0, 0}};
  std::vector<MenuOp> decoded;
  std::string bytes = EncodeMenuOps(ops);
  ASSERT_TRUE(DecodeMenuOps(bytes, decoded));
  EXPECT_EQ(decoded, ops);
  EXPECT_FALSE(DecodeMenuOps(bytes.substr(0, bytes.size() - 1), decoded)) << "a cut record is refused";
  EXPECT_FALSE(DecodeMenuOps("\x63", decoded));

  Order order{3, 12, {{1, 2}, {77, -1}}};
  std::optional<Order> back;
  ASSERT_TRUE(DecodeOrder(EncodeOrder(order), back));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->lines, order.lines);
  ASSERT_TRUE(DecodeOrder(EncodeOrder(std::nullopt), back));
  EXPECT_FALSE(back);
  std::string huge = EncodeOrder(order);
  huge[9] = '\x7f';  // a line count far beyond the bytes
  EXPECT_FALSE(DecodeOrder(huge, back));

  BaseInfo info{"CAFE", 86900, 19200, false}, read;
  ASSERT_TRUE(DecodeBaseInfo(EncodeBaseInfo(info), read));
  EXPECT_EQ(read.name, "CAFE");
  EXPECT_EQ(read.baud, 19200u);
  EXPECT_FALSE(read.program_running);
}

TEST(FirmwareChecksum, SumsAsTheTransferMessageCarriesThem) {
  FirmwareChecksum sums;
  sums.Add(std::string("\x00\xff", 2));
  EXPECT_EQ(sums.sum1, 1);
  EXPECT_EQ(sums.sum2, 2);
  FirmwareChecksum rotated;
  rotated.sum2 = 0x8000;
  rotated.Add(0xff);  // c = 0: only the rotation, carrying bit 15 round
  EXPECT_EQ(rotated.sum2, 1);
  std::string image = "firmware image";
  FirmwareChecksum all;
  all.Add(image);
  std::string message =
      image + char(all.sum1 & 0xff) + char(all.sum1 >> 8) + char(all.sum2 & 0xff) + char(all.sum2 >> 8);
  EXPECT_TRUE(FirmwareMessageIntact(message));
  message[2] ^= 1;
  EXPECT_FALSE(FirmwareMessageIntact(message));
}

std::vector<Frame> Replies(const std::string& bytes) {
  FrameParser parser;
  parser.Feed(bytes);
  std::vector<Frame> frames;
  for (const auto& e : Drain(parser)) {
    if (e.is_frame) frames.push_back(e.frame);
  }
  return frames;
}

TEST(BaseStation, ARepeatedRequestIsAnsweredAgainButDoneOnce) {
  BaseStation base(BaseSettings{});
  base.AddOrder({1, 2, {{5, 1}}});
  base.AddOrder({3, 4, {}});
  std::string poll = EncodeFrame({kPoll, 9, ""});
  auto first = Replies(base.Receive(poll, 38400));
  auto again = Replies(base.Receive(poll, 38400));
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(first[0].payload, again[0].payload);
  EXPECT_EQ(base.OrdersWaiting(), 1u) << "the repetition did not take a second order";
  EXPECT_TRUE(Replies(base.Receive(EncodeFrame({kPoll, 9, ""}), 19200)).empty()) << "wrong speed: noise";
  EXPECT_EQ(base.Receive("+", 38400), "-");
  EXPECT_EQ(base.Receive("+", 19200), "");
}

TEST(BaseStation, StoresAMenuOnlyWhenItArrivedWhole) {
  BaseStation base(BaseSettings{});
  std::string menu = EncodeMenuOps({{kOpSetEntry, "names", "", 1530, 0, 0, 0}});
  auto request = [&](uint8_t type, uint8_t sequence, const std::string& payload) {
    auto replies = Replies(base.Receive(EncodeFrame({type, sequence, payload}), 38400));
    return replies.empty() ? -1 : static_cast<int>(static_cast<uint8_t>(replies[0].payload[0]));
  };
  Writer begin;
  begin.U32(static_cast<uint32_t>(menu.size())).U32(Crc32(menu)).U32(1);
  Writer half;
  half.U32(0).Bytes(menu.substr(0, 4));
  EXPECT_EQ(request(kMenuBegin, 1, begin.Out()), kOk);
  EXPECT_EQ(request(kMenuData, 2, half.Out()), kOk);
  EXPECT_EQ(request(kMenuEnd, 3, ""), kIncomplete);
  EXPECT_EQ(base.MenusStored(), 0);

  Writer whole;
  whole.U32(0).Bytes(menu);
  Writer gap;
  gap.U32(3).Bytes(menu);
  EXPECT_EQ(request(kMenuBegin, 4, begin.Out()), kOk);
  EXPECT_EQ(request(kMenuData, 5, gap.Out()), kIncomplete) << "bytes after a gap";
  EXPECT_EQ(request(kMenuEnd, 6, ""), kIncomplete);
  EXPECT_EQ(request(kMenuBegin, 7, begin.Out()), kOk);
  EXPECT_EQ(request(kMenuData, 8, whole.Out()), kOk);
  EXPECT_EQ(request(kMenuEnd, 9, ""), kOk);
  EXPECT_EQ(base.MenusStored(), 1);
}

TEST(OrderReader, ReadsOrdersAsTyped) {
  BaseStation base(BaseSettings{});
  OrderReader reader(base);
  std::string error;
  for (const char* line :
       {"# comment", "order 1 2", "5 3", "6 1  # two lines", "order 2 7", "end", "", "order 9 9"}) {
    EXPECT_TRUE(reader.Line(line, error)) << line << ": " << error;
  }
  EXPECT_FALSE(reader.Line("five 3", error));
  EXPECT_FALSE(reader.Line("5 3 1", error));
  reader.Finish();
  EXPECT_EQ(base.OrdersWaiting(), 3u);
  OrderReader loose(base);
  EXPECT_FALSE(loose.Line("5 3", error)) << "a line before any order";
  EXPECT_NE(error.find("before any"), std::string::npos);
}

TEST(PortMapping, EnvironmentThenPortsFileThenTheNumberedDevice) {
  tabulo::test::TempFolder folder;
  std::filesystem::create_directories(folder / "kestrel");
  tabulo::test::WriteFile(folder / "kestrel/ports.conf", "# ports\n 5 = /dev/ttyUSB0 \n6=\n7=/dev/a=b\n");
  ::setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
  ::setenv("KESTREL_PORT_5", "/tmp/overridden", 1);
  EXPECT_EQ(DevicePathOfPort(5), "/tmp/overridden");
  ::unsetenv("KESTREL_PORT_5");
  EXPECT_EQ(DevicePathOfPort(5), "/dev/ttyUSB0");
  EXPECT_EQ(DevicePathOfPort(6), "/dev/ttyS5") << "an empty entry falls through";
  EXPECT_EQ(DevicePathOfPort(7), "/dev/a=b");
  EXPECT_EQ(DevicePathOfPort(1), "/dev/ttyS0");
  EXPECT_EQ(DevicePathOfPort(0), "");
  EXPECT_EQ(DevicePathOfPort(-3), "");
  ::unsetenv("XDG_CONFIG_HOME");
  OpenFailure failure;
  EXPECT_FALSE(SerialPort::Open(folder / "kestrel/ports.conf", 38400, failure));
  EXPECT_NE(failure.reason.find("is not a serial device"), std::string::npos) << failure.reason;
  EXPECT_FALSE(SerialPort::Open("/dev/null", 12345, failure));
  EXPECT_NE(failure.reason.find("unsupported baud rate 12345"), std::string::npos) << failure.reason;
}

}  // namespace
}  // namespace kestrel
