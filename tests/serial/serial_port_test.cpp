// The serial port over a real pseudo-terminal.
#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <chrono>
#include <cerrno>
#include <cstring>
#include <future>
#include <numeric>
#include <thread>

#include "app/configuration.h"
#include "link/serial_errors.h"
#include "sim/realtime_loop.h"
#include "test_support.h"

namespace phondeck {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::PtyPair;
using testing::RecordingPrompt;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = config();
    ASSERT_FALSE(pty_.path.empty());
    config().Device = pty_.path;
  }
  void TearDown() override { config() = saved_; }

  // Takes every notice until want bytes have been taken; returns them and
  // the counts the notices carried.
  Bytes drain(SerialPort& port, std::size_t want, std::vector<std::uint32_t>* counts = nullptr) {
    Bytes got;
    int message = 0;
    std::uint32_t parameter = 0;
    while (got.size() < want && loop_.wait_message(message, parameter, 2000)) {
      if (message != kMsgBytesArrived) continue;
      if (counts != nullptr) counts->push_back(parameter);
      const std::size_t at = got.size();
      got.resize(at + parameter);
      EXPECT_EQ(port.take_received(got.data() + at, parameter), parameter);
    }
    return got;
  }

  Configuration saved_;
  PtyPair pty_;
  RecordingPrompt prompt_;
  SystemClock clock_;
  sim::RealtimeLoop loop_{clock_};
};

TEST_F(SerialPortTest, PortIndexNamesAndDevicePaths) {
  config().Device.clear();
  SerialPort port(prompt_, loop_);
  EXPECT_EQ(port.device_path(), "");  // no port set: the open uses an empty name
  for (int i = 0; i < 8; ++i) {
    port.set_port(i);
    EXPECT_EQ(port.port_name(), "COM" + std::to_string(i + 1));
    EXPECT_EQ(port.device_path(), "/dev/ttyS" + std::to_string(i));
  }
  for (int index : {8, -1, 255}) {
    port.set_port(index);
    EXPECT_EQ(port.port_name(), "COM2") << index;
  }
  for (const char* handset : {"virtual", "virtual:5110"}) {
    config().Device = handset;
    EXPECT_EQ(port.device_path(), "/dev/ttyS1") << handset;
  }
  config().Device = "/dev/ttyUSB3";
  EXPECT_EQ(port.device_path(), "/dev/ttyUSB3");
}

TEST_F(SerialPortTest, MissingDeviceGivesOneMessageAndCodeOne) {
  config().Device = "/dev/phondeck-no-such-port";
  SerialPort port(prompt_, loop_);
  EXPECT_EQ(port.open_if_closed(), 1);
  EXPECT_FALSE(port.is_open());
  ASSERT_EQ(prompt_.messages().size(), 1u);
  // The Part's text, then the serial devices that do exist.
  EXPECT_EQ(prompt_.messages()[0].rfind(std::string("ERROR: Serial 10 (2) ") + std::strerror(2) +
                                            ": /dev/phondeck-no-such-port\n\n" + serial_devices_text(serial_devices()),
                                        0),
            0u)
      << prompt_.messages()[0];
  port.close();
  EXPECT_EQ(prompt_.messages().size(), 1u);
}

TEST_F(SerialPortTest, OpensRaw9600AndOpenIfClosedLeavesAnOpenPortAlone) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open_if_closed(), 0);
  EXPECT_TRUE(port.is_open());
  EXPECT_TRUE(port.reader_running());
  EXPECT_EQ(port.bit_rate(), 9600);
  termios tio{};
  ASSERT_EQ(tcgetattr(pty_.master, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

  EXPECT_EQ(port.open_if_closed(), 1);
  EXPECT_TRUE(port.is_open());
  EXPECT_TRUE(port.reader_running());
  // Line controls a pseudo-terminal lacks fail quietly.
  port.set_dtr(true);
  port.set_rts(false);
  EXPECT_TRUE(prompt_.messages().empty());
}

TEST_F(SerialPortTest, SecondOpenOfTheSameDeviceIsRefused) {
  SerialPort first(prompt_, loop_);
  SerialPort second(prompt_, loop_);
  ASSERT_EQ(first.open(), 0);
  EXPECT_EQ(second.open(), 1);
  ASSERT_EQ(prompt_.messages().size(), 1u);
  EXPECT_EQ(prompt_.messages()[0].rfind("ERROR: Serial 10 (", 0), 0u);
  // The refused port's reset closes it; the holder keeps its exclusive mode.
  second.close();
  int exclusive = 0;
  ASSERT_EQ(ioctl(pty_.slave, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  first.close();
  ASSERT_EQ(ioctl(pty_.slave, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_EQ(second.open(), 0);  // free again once the first has closed
}

TEST_F(SerialPortTest, BitRateSwitchesBetween9600And115200WhileOpen) {
  SerialPort port(prompt_, loop_);
  port.set_bit_rate(115200);  // closed: nothing happens
  EXPECT_EQ(port.bit_rate(), 9600);
  ASSERT_EQ(port.open(), 0);
  port.set_bit_rate(57600);
  EXPECT_EQ(port.bit_rate(), 115200);
  EXPECT_EQ(pty_.speed(), B115200);
  port.set_bit_rate(9600);
  EXPECT_EQ(pty_.speed(), B9600);
  port.set_bit_rate(0);
  EXPECT_EQ(pty_.speed(), B115200);
  EXPECT_TRUE(prompt_.messages().empty());
}

TEST_F(SerialPortTest, PiecesArriveWholeAndInOrderAndCountsAddUp) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  Bytes sent;
  for (std::size_t size : {1u, 7u, 8u, 64u, 3u, 255u, 2u}) {
    Bytes piece(size);
    for (auto& b : piece) b = static_cast<std::uint8_t>(sent.size() * 7 + size);
    ASSERT_TRUE(pty_.send(piece));
    sent.insert(sent.end(), piece.begin(), piece.end());
    std::this_thread::sleep_for(2ms);
  }
  std::vector<std::uint32_t> counts;
  const Bytes got = drain(port, sent.size(), &counts);
  EXPECT_EQ(got, sent);
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), std::size_t{0}), sent.size());
  EXPECT_EQ(port.write_index(), 0u);
  EXPECT_EQ(port.read_index(), 0u);
}

TEST_F(SerialPortTest, IndexesReturnToZeroWhenTheWindowCatchesUp) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  ASSERT_TRUE(pty_.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  int message = 0;
  std::uint32_t count = 0;
  std::uint32_t stored = 0;
  while (stored < 10 && loop_.wait_message(message, count, 2000)) stored += count;
  ASSERT_EQ(stored, 10u);

  std::uint8_t out[10] = {};
  EXPECT_EQ(port.take_received(out, 4), 4u);
  EXPECT_EQ(port.read_index(), 4u);
  EXPECT_EQ(port.write_index(), 10u);
  EXPECT_EQ(port.take_received(out + 4, 6), 6u);
  EXPECT_EQ(port.read_index(), 0u);
  EXPECT_EQ(port.write_index(), 0u);
  EXPECT_EQ(out[9], 10);
  // More than is stored is never copied.
  EXPECT_EQ(port.take_received(out, 5), 0u);

  ASSERT_TRUE(pty_.send({42, 43}));
  ASSERT_TRUE(loop_.wait_message(message, count, 2000));
  EXPECT_EQ(port.write_index(), 2u);  // stored at offset 0 again
  EXPECT_EQ(port.take_received(out, 2), 2u);
  EXPECT_EQ(out[0], 42);
}

TEST_F(SerialPortTest, ZeroByteNoticeTakesNoLock) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  ASSERT_TRUE(pty_.send({7}));
  int message = 0;
  std::uint32_t count = 0;
  ASSERT_TRUE(loop_.wait_message(message, count, 2000));

  std::unique_lock<std::mutex> held(port.lock());
  std::uint8_t byte = 0;
  auto zero = std::async(std::launch::async, [&] { return port.take_received(&byte, 0); });
  ASSERT_EQ(zero.wait_for(1s), std::future_status::ready);
  EXPECT_EQ(zero.get(), 0u);
  auto one = std::async(std::launch::async, [&] { return port.take_received(&byte, 1); });
  EXPECT_EQ(one.wait_for(50ms), std::future_status::timeout);  // waits for the lock
  held.unlock();
  EXPECT_EQ(one.get(), 1u);
  EXPECT_EQ(byte, 7);
}

TEST_F(SerialPortTest, WritesLeaveInOrderAndNotWhileClosed) {
  SerialPort port(prompt_, loop_);
  Bytes frame(300);
  std::iota(frame.begin(), frame.end(), 0);
  port.write(frame.data(), frame.size());  // closed: nothing is written
  ASSERT_EQ(port.open(), 0);
  port.write(frame.data(), 8);
  port.write(frame.data() + 8, frame.size() - 8);
  Bytes got;
  std::uint8_t buffer[512];
  for (int i = 0; i < 200 && got.size() < frame.size(); ++i) {
    const ssize_t n = ::read(pty_.master, buffer, sizeof buffer);
    if (n > 0) got.insert(got.end(), buffer, buffer + n);
    else std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(got, frame);
}

TEST_F(SerialPortTest, FullBufferHoldsBytesBackUntilDrained) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  Bytes sent(SerialPort::kReceiveSize + 5000);
  for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
  std::thread writer([&] {
    std::size_t done = 0;
    while (done < sent.size()) {
      const ssize_t n = ::write(pty_.master, sent.data() + done, sent.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else std::this_thread::sleep_for(1ms);
    }
  });
  // Nothing is taken until the buffer is full.
  for (int i = 0; i < 2000 && port.write_index() < SerialPort::kReceiveSize; ++i) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(port.write_index(), SerialPort::kReceiveSize);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(port.write_index(), SerialPort::kReceiveSize);
  const Bytes got = drain(port, sent.size());
  writer.join();
  EXPECT_EQ(got, sent);
}

TEST_F(SerialPortTest, HangUpEndsTheReaderQuietlyAndCloseIsPrompt) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  pty_.close_all();
  for (int i = 0; i < 500 && port.reader_running(); ++i) std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(port.reader_running());
  EXPECT_TRUE(port.is_open());  // open but deaf until the link resets
  EXPECT_TRUE(prompt_.messages().empty());
  const std::uint8_t byte = 0x55;
  port.write(&byte, 1);  // fails quietly
  port.close();
  EXPECT_FALSE(port.is_open());
  EXPECT_TRUE(prompt_.messages().empty());
}

TEST_F(SerialPortTest, CloseDoesNotWaitForThePollBound) {
  SerialPort port(prompt_, loop_);
  ASSERT_EQ(port.open(), 0);
  std::this_thread::sleep_for(5ms);
  const auto start = std::chrono::steady_clock::now();
  port.close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
  EXPECT_FALSE(port.reader_running());
}

TEST(SerialErrorTexts, LineErrorsAreComparedAsAWhole) {
  EXPECT_STREQ(line_error_description(8), "The hardware detected a framing error.");
  EXPECT_STREQ(line_error_description(32768),
               "The requested mode is not supported, or the hFile parameter is invalid.");
  EXPECT_STREQ(line_error_description(12), "Undefined error");
  EXPECT_STREQ(line_error_description(0), "Undefined error");
  testing::RecordingPrompt prompt;
  show_line_error(prompt, 12, false);
  EXPECT_TRUE(prompt.messages().empty());
  show_line_error(prompt, 12, true);
  ASSERT_EQ(prompt.messages().size(), 1u);
  EXPECT_EQ(prompt.messages()[0], "COM error: Undefined error");
  EXPECT_EQ(serial_error_text("ERROR: Serial 20", 5), std::string("ERROR: Serial 20 (5) ") + std::strerror(5));
  EXPECT_EQ(serial_error_text("ERROR: Serial 10", EACCES, "/dev/ttyUSB0", "Advice."),
            std::string("ERROR: Serial 10 (13) ") + std::strerror(EACCES) + ": /dev/ttyUSB0\n\nAdvice.");
}

}  // namespace
}  // namespace phondeck
