// Virtual time and the in-process line: ordering of device events, timers
// and window messages, and the wire time of the pipe.
#include <gtest/gtest.h>

#include <vector>

#include "pc_side.h"
#include "serial/test_support.h"
#include "sim/pipe_link.h"
#include "sim/virtual_time.h"

namespace phondeck::sim {
namespace {

using namespace testing;

TEST(VirtualTime, EventsTimersAndMessagesRunInTimeOrder) {
  VirtualLoop loop;
  std::vector<std::string> log;
  VirtualTimer timer(loop, [&] { log.push_back("timer@" + std::to_string(loop.now_ms())); });
  loop.set_message_handler([&](int message, std::uint32_t parameter) {
    log.push_back("msg" + std::to_string(message) + ":" + std::to_string(parameter) + "@" +
                  std::to_string(loop.now_ms()));
  });
  timer.start(2000);
  loop.at(1500 * 1000, [&] { loop.post(1024, 3); });
  loop.at(2000 * 1000, [&] { log.push_back("device@2000"); });
  loop.run_for(4500);
  EXPECT_EQ(log, (std::vector<std::string>{"msg1024:3@1500", "device@2000", "timer@2000", "timer@4000"}));
  EXPECT_EQ(loop.now_ms(), 4500);
  EXPECT_EQ(timer.expiries(), 2);
  timer.stop();
  loop.run_for(10000);
  EXPECT_EQ(timer.expiries(), 2);
}

TEST(VirtualTime, SleepingRunsTheDeviceSideButNotTheWindow) {
  VirtualLoop loop;
  int device = 0;
  int window = 0;
  VirtualTimer timer(loop, [&] { ++window; });
  loop.set_message_handler([&](int, std::uint32_t) { ++window; });
  timer.start(10);
  loop.at(5000, [&] {
    ++device;
    loop.post(1024, 1);
  });
  loop.clock().sleep_ms(50);
  EXPECT_EQ(loop.now_ms(), 50);
  EXPECT_EQ(device, 1);
  EXPECT_EQ(window, 0);
  EXPECT_EQ(loop.queued_messages(), 1u);
  // The window loop then catches up: the queued message and one expiry now.
  EXPECT_TRUE(loop.run_until([&] { return window == 2; }, 0));
}

TEST(PipeLink, BytesTakeTheirWireTimeEachWay) {
  VirtualLoop loop;
  Handset handset(loop.clock(), HandsetState::demo(*find_model("6110")), {.need_wake = false});
  PipeLink pipe(loop, handset);
  std::vector<std::pair<std::int64_t, std::uint32_t>> arrivals;
  loop.set_message_handler([&](int message, std::uint32_t count) {
    EXPECT_EQ(message, kMsgBytesArrived);
    arrivals.emplace_back(loop.now_us(), count);
  });
  const Bytes request = pc_request(0x04, {0x00, 0x01, 0x00, 0x01}, 0x42);
  pipe.write(request.data(), request.size());  // closed: nothing leaves
  EXPECT_EQ(loop.now_us(), 0);
  ASSERT_EQ(pipe.open(), 0);
  EXPECT_EQ(pipe.bit_rate(), 9600);

  pipe.write(request.data(), request.size());
  const std::int64_t sent = 14 * 10 * 1000000 / 9600;  // 14 bytes at 9600 bit/s
  EXPECT_EQ(loop.now_us(), sent);  // the write returned when the bytes had left
  loop.run_for(100);
  // The acknowledgement (10 bytes), then the reply (20 bytes) right behind it.
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_EQ(arrivals[0].second, 10u);
  EXPECT_EQ(arrivals[0].first, sent + 10 * 10 * 1000000 / 9600);
  EXPECT_EQ(arrivals[1].second, 20u);
  EXPECT_EQ(arrivals[1].first, arrivals[0].first + 20 * 10 * 1000000 / 9600);
  std::uint8_t taken[64];
  EXPECT_EQ(pipe.take_received(taken, sizeof taken), 30u);
  EXPECT_EQ(pipe.take_received(taken, sizeof taken), 0u);

  pipe.set_bit_rate(57600);
  EXPECT_EQ(pipe.bit_rate(), 115200);
  EXPECT_EQ(pipe.wire_us(1152), 100000);
}

TEST(PipeLink, ClosedPortLosesWhatArrivesAndAHungUpLineCannotOpen) {
  VirtualLoop loop;
  Handset handset(loop.clock(), HandsetState::demo(*find_model("6110")),
                  {.need_wake = false, .network_every_ms = 1000}, {.hang_up_at_ms = 5000});
  ::phondeck::testing::RecordingPrompt prompt;
  PipeLink pipe(loop, handset, nullptr, &prompt);
  loop.run_for(1500);
  EXPECT_EQ(loop.queued_messages(), 0u);  // sent while the port was closed
  ASSERT_EQ(pipe.open(), 0);
  loop.set_message_handler([](int, std::uint32_t) {});
  loop.run_for(1000);
  EXPECT_FALSE(pipe.pc_received().empty());
  pipe.close();
  loop.run_for(5000);
  EXPECT_TRUE(pipe.hung_up());
  EXPECT_EQ(pipe.open(), 1);
  ASSERT_EQ(prompt.messages().size(), 1u);
  EXPECT_EQ(prompt.messages()[0].rfind("ERROR: Serial 10 (2) ", 0), 0u);
}

}  // namespace
}  // namespace phondeck::sim
