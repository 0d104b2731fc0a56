#include "media/startup_graphic_family.h"

#include <algorithm>
#include <array>

#include "link/message_types.h"
#include "link/operation_engine.h"
#include "media/graphics_messages.h"

namespace phondeck {
namespace {

constexpr int kStepReadRequest = 42;
constexpr int kStepReadLast = 46;
constexpr int kStepReadEnd = 47;
constexpr int kStepFirstFrame = 52;
constexpr int kStepLastFrame = 56;
constexpr int kStepWriteEnd = 57;
constexpr int kStepResetEnable = 62;
constexpr int kStepResetRequest = 63;
constexpr int kStepResetEnd = 64;

constexpr int kTextReadProcessing = 3042;
constexpr int kTextReadCompleted = 3043;
constexpr int kTextWriteProcessing = 3044;
constexpr int kTextWriteCompleted = 3045;

constexpr std::uint8_t kSubReadRequest = 0x16;
constexpr std::uint8_t kSubReadReply = 0x17;
constexpr std::uint8_t kSubWritten = 0x19;

// The write message: 00 01 and the 510 bytes, in frames of 118 + 120 + 120
// + 120 + 32 of the 510.
constexpr int kWriteFrames = 5;
constexpr std::size_t kFirstFrameBytes = 118;
constexpr std::size_t kFrameBytes = 120;
// A frame not acknowledged even when sent afresh sends the whole message
// again, at most this often; then the link is given up.
constexpr int kWriteRestarts = 3;

// The reply: 00 01 00 17, 01 01 30 54 (48 rows, 84 columns), the picture,
// in as many frames as the handset's frame size gives.
constexpr std::size_t kReplyHeader = 8;

Operation startup_operation(int step, bool model_check) {
  Operation op;
  op.family = LinkState::Media;
  op.step = step;
  op.model_check = model_check;
  return op;
}

bool acknowledged(OperationEngine& engine) { return engine.frames().flags().ack_received != 0; }

}  // namespace

StartupReplyCollector::Take StartupReplyCollector::take(std::span<const std::uint8_t> data) {
  if (data.size() < 2) return Take::Ignored;
  const std::size_t payload = data.size() - 2;
  const int remaining = data[payload];
  if (remaining < 1) return Take::Ignored;
  const bool continues = next_remaining_ > 0 && remaining == next_remaining_;
  // A first frame starts the collection afresh (the request was sent again).
  const bool first = !continues && payload >= kReplyHeader && data[0] == 0x00 && data[1] == 0x01 &&
                     data[3] == kSubReadReply;
  if (!continues && !first) return Take::Ignored;
  if (first) {
    bytes_.fill(0);
    count_ = 0;
  }
  // The handset's frame size decides how the picture is split; take what
  // each frame carries until the 504 bytes are in.
  const std::size_t from = first ? kReplyHeader : 0;
  const std::size_t take = std::min(payload - from, bytes_.size() - count_);
  std::copy_n(data.begin() + static_cast<long>(from), take, bytes_.begin() + static_cast<long>(count_));
  count_ += take;
  if (remaining > 1) {
    next_remaining_ = remaining - 1;
    return Take::Taken;
  }
  next_remaining_ = 0;
  return Take::Complete;
}

bool start_startup_read(OperationEngine& engine, StartupGraphicFamily&, StartOptions options) {
  return engine.guard_without_confirmation(
      startup_operation(StartupGraphicFamily::kStepRead, true).with(std::move(options)));
}

bool start_startup_write(OperationEngine& engine, StartupGraphicFamily& family, const MonoBitmap& picture,
                         StartOptions options) {
  if (!engine.guard_with_confirmation(
          startup_operation(StartupGraphicFamily::kStepWrite, true).with(std::move(options)))) {
    return false;
  }
  family.set_startup_data(startup_graphic_data(picture));
  return true;
}

bool start_phone_reset(OperationEngine& engine, StartupGraphicFamily&, StartOptions options) {
  return engine.guard_with_confirmation(
      startup_operation(StartupGraphicFamily::kStepReset, false).with(std::move(options)));
}

void StartupGraphicFamily::send_phase(OperationEngine& engine) {
  int step = engine.step();
  if (link_lost_ && step > kStepReadRequest && step <= kStepReadEnd) {
    // Resumed after a reconnect: the picture is asked for afresh.
    step = kStepReadRequest;
    engine.set_step(step);
  } else if (link_lost_ && step == kStepResetEnd) {
    // Whether the handset heard the reset is not known: ask again.
    step = kStepResetEnable;
    engine.set_step(step);
  }
  link_lost_ = false;
  switch (step) {
    case kStepWrite:
      sent_frame_ = -1;
      restarts_ = 0;
      [[fallthrough]];
    case kStepRead:
    case kStepReset:
      collector_.restart();
      engine.push(LinkState::Media, step + 1);
      engine.start_resynchronise();
      return;

    case kStepReadRequest: {
      if (collector_.collecting()) return;  // the rest is on its way
      engine.status_text_id(kTextReadProcessing);
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x00, kSubReadRequest};
      engine.frames().send_request(kMsgMedia, request, 1);
      return;
    }
    case kStepReadEnd:
      records_.startup = unpackBands(collector_.picture_bytes());
      records_.startup_read = true;
      finish(engine, kTextReadCompleted, GraphicsEvent::StartupRead);
      return;

    case kStepWriteEnd:
      finish(engine, kTextWriteCompleted, GraphicsEvent::StartupWritten);
      return;

    case kStepResetEnable: {
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x64, 0x01};
      engine.frames().send_request(kMsgNetMonitor, request, 1);
      return;
    }
    case kStepResetRequest: {
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x64, 0x03};
      engine.set_step(kStepResetEnd);
      engine.frames().send_request(kMsgNetMonitor, request, 0);
      return;
    }
    case kStepResetEnd:
      // Unacknowledged even when sent again: the handset may not have reset.
      finish(engine, 0, acknowledged(engine) ? std::optional(GraphicsEvent::PhoneReset) : std::nullopt);
      return;

    default:
      if (step >= kStepFirstFrame && step <= kStepLastFrame) send_write_frame(engine, step - kStepFirstFrame);
      return;
  }
}

void StartupGraphicFamily::send_write_frame(OperationEngine& engine, int frame) {
  // Each frame's send phase runs once the frame before it was acknowledged;
  // it runs again for the same step when a frame was given up unanswered.
  const bool in_turn = frame == 0 ? sent_frame_ < 0 : sent_frame_ == frame - 1 && acknowledged(engine);
  if (!in_turn) {
    // The handset has part of the message at best: all of it again, after a
    // resynchronise, so no other request comes between its frames.
    if (++restarts_ > kWriteRestarts) {
      engine.link_lost();
      return;
    }
    sent_frame_ = -1;
    engine.push(LinkState::Media, kStepFirstFrame);
    engine.start_resynchronise();
    return;
  }
  if (frame == 0) engine.status_text_id(kTextWriteProcessing);
  std::array<std::uint8_t, kFrameHeader + 2 + kFrameBytes + 2> bytes{};
  std::size_t n = 0;
  bytes[n++] = engine.frames().frame_id();
  bytes[n++] = kAddressHandset;
  bytes[n++] = kAddressPc;
  bytes[n++] = kMsgMedia;
  bytes[n++] = 0x00;
  const std::size_t from = frame == 0 ? 0 : kFirstFrameBytes + static_cast<std::size_t>(frame - 1) * kFrameBytes;
  const std::size_t count =
      std::min(frame == 0 ? kFirstFrameBytes : kFrameBytes, data_.size() > from ? data_.size() - from : 0);
  const std::size_t length = count + 2 + (frame == 0 ? 2 : 0);
  bytes[n++] = static_cast<std::uint8_t>(length);
  if (frame == 0) {
    bytes[n++] = 0x00;
    bytes[n++] = 0x01;
  }
  std::copy_n(data_.begin() + static_cast<long>(from), count, bytes.begin() + static_cast<long>(n));
  n += count;
  bytes[n++] = static_cast<std::uint8_t>(kWriteFrames - frame);
  // The later frames keep only the low four bits of the sequence byte.
  const std::uint8_t sequence = engine.frames().next_sequence();
  bytes[n++] = frame == 0 ? sequence : static_cast<std::uint8_t>(sequence & 0x0F);
  sent_frame_ = frame;
  const bool last = frame == kWriteFrames - 1;
  if (!last) engine.set_step(kStepFirstFrame + frame + 1);
  engine.frames().send_message(bytes.data(), n, last ? 1 : 0);
}

void StartupGraphicFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  const int step = engine.step();
  if (step >= kStepReadRequest && step <= kStepReadLast) {
    if (frame.type() != kMsgMedia) return;
    const StartupReplyCollector::Take take = collector_.take({frame.data(), frame.data_length()});
    if (take == StartupReplyCollector::Take::Ignored) return;
    engine.frames().acknowledge(frame.type());
    engine.set_step(take == StartupReplyCollector::Take::Complete ? kStepReadEnd : kStepReadRequest + 1);
    return;
  }
  switch (step) {
    case kStepLastFrame:
      if (frame.type() != kMsgMedia || frame.sub_type() != kSubWritten || sent_frame_ != kWriteFrames - 1) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(kStepWriteEnd);
      return;
    case kStepResetEnable:
      // The handset's answer to 64 01: type 0x40, 64 01 in data bytes 2 and 3.
      if (frame.type() != kMsgNetMonitor || frame.data(2) != 0x64 || frame.data(3) != 0x01) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(kStepResetRequest);
      return;
    case kStepResetEnd:
      // A handset that answers the reset itself before it goes.
      if (frame.type() == kMsgNetMonitor && frame.data(3) == 0x03) engine.frames().acknowledge(frame.type());
      return;
    default:
      return;
  }
}

void StartupGraphicFamily::link_reset() {
  collector_.restart();
  link_lost_ = true;
  // A write resumed after a reconnect starts from its first frame afresh.
  sent_frame_ = -1;
  restarts_ = 0;
}

void StartupGraphicFamily::finish(OperationEngine& engine, int text_id, std::optional<GraphicsEvent> event) {
  if (text_id != 0) engine.status_text_id(text_id);
  engine.progress_done();
  engine.set_end();
  engine.step_end();
  if (event) records_.listeners.notify(*event);
}

}  // namespace phondeck
