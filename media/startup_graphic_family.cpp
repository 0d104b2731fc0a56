#include "media/startup_graphic_family.h"

#include <algorithm>
#include <array>

#include "link/message_types.h"
#include "link/operation_engine.h"
#include "media/graphics_messages.h"

namespace phondeck {
namespace {

using Step = StartupGraphicFamily::Step;

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

Operation startup_operation(Step step, bool model_check) {
  Operation op;
  op.family = LinkState::Media;
  op.step = static_cast<int>(step);
  op.model_check = model_check;
  return op;
}

bool acknowledged(OperationEngine& engine) { return engine.frames().flags().ack_received != 0; }

}  // namespace

// The reply: 00 01 00 17, 01 01 30 54 (48 rows, 84 columns), the picture,
// in as many frames as the handset's frame size gives.
bool startup_reply_first(const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  return payload.size() >= kStartupReplyHeader && payload[0] == 0x00 && payload[1] == 0x01 &&
         payload[3] == kSubReadReply && frames_remaining(frame) >= 1;
}

MonoBitmap startup_picture(std::span<const std::uint8_t> collected) {
  std::array<std::uint8_t, kStartupBytes> bytes{};
  std::copy_n(collected.begin(), std::min(collected.size(), bytes.size()), bytes.begin());
  return unpackBands(bytes);
}

bool start_startup_read(OperationEngine& engine, StartupGraphicFamily&, StartOptions options) {
  return engine.guard_without_confirmation(startup_operation(Step::OpenRead, true).with(std::move(options)));
}

bool start_startup_write(OperationEngine& engine, StartupGraphicFamily& family, const MonoBitmap& picture,
                         StartOptions options) {
  if (!engine.guard_with_confirmation(startup_operation(Step::OpenWrite, true).with(std::move(options)))) {
    return false;
  }
  family.set_startup_data(startup_graphic_data(picture));
  return true;
}

bool start_phone_reset(OperationEngine& engine, StartupGraphicFamily&, StartOptions options) {
  return engine.guard_with_confirmation(startup_operation(Step::OpenReset, false).with(std::move(options)));
}

void StartupGraphicFamily::send_phase(OperationEngine& engine) {
  Step step = engine.step_as<Step>();
  if (link_lost_ && step > Step::RequestPicture && step <= Step::PictureRead) {
    // Resumed after a reconnect: the picture is asked for afresh.
    step = Step::RequestPicture;
    engine.set_step(step);
  } else if (link_lost_ && step == Step::ResetSent) {
    // Whether the handset heard the reset is not known: ask again.
    step = Step::EnableReset;
    engine.set_step(step);
  }
  link_lost_ = false;
  switch (step) {
    case Step::OpenWrite:
      sent_frame_ = -1;
      restarts_ = 0;
      [[fallthrough]];
    case Step::OpenRead:
    case Step::OpenReset:
      reply_.reset();
      engine.open_exchange(static_cast<int>(step) + 1);
      return;

    case Step::RequestPicture: {
      if (reply_.collecting()) return;  // the rest is on its way
      engine.status_text_id(kTextReadProcessing);
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x00, kSubReadRequest};
      engine.frames().send_request(kMsgMedia, request, 1);
      return;
    }
    case Step::PictureRead:
      records_.startup = startup_picture(reply_.take_bytes());
      records_.startup_read = true;
      engine.result().bytes = kStartupBytes;
      finish(engine, kTextReadCompleted, GraphicsEvent::StartupRead);
      return;

    case Step::Written:
      engine.result().bytes = data_.size();
      finish(engine, kTextWriteCompleted, GraphicsEvent::StartupWritten);
      return;

    case Step::EnableReset: {
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x64, 0x01};
      engine.frames().send_request(kMsgNetMonitor, request, 1);
      return;
    }
    case Step::RequestReset: {
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x64, 0x03};
      engine.set_step(Step::ResetSent);
      engine.frames().send_request(kMsgNetMonitor, request, 0);
      return;
    }
    case Step::ResetSent:
      if (acknowledged(engine)) {
        finish(engine, 0, GraphicsEvent::PhoneReset);
      } else {
        // Unacknowledged even when sent again: the handset may not have reset.
        engine.finish_failed(-1);
      }
      return;

    default:
      if (step >= Step::FirstFrame && step <= Step::LastFrame) {
        send_write_frame(engine, static_cast<int>(step) - static_cast<int>(Step::FirstFrame));
      }
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
    engine.open_exchange(Step::FirstFrame);
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
  if (!last) engine.set_step(static_cast<int>(Step::FirstFrame) + frame + 1);
  engine.frames().send_message(bytes.data(), n, last ? 1 : 0);
}

void StartupGraphicFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  const Step step = engine.step_as<Step>();
  if (step >= Step::RequestPicture && step <= Step::LastPictureFrame) {
    if (frame.type() != kMsgMedia) return;
    // The handset's frame size decides how the picture is split.
    const MultiFrameReply::Take take = reply_.take(frame, startup_reply_first(frame), kStartupReplyHeader);
    if (take == MultiFrameReply::Take::Ignored) return;
    engine.frames().acknowledge(frame.type());
    engine.set_step(take == MultiFrameReply::Take::Complete ? Step::PictureRead : Step::CollectPicture);
    return;
  }
  switch (step) {
    case Step::LastFrame:
      if (frame.type() != kMsgMedia || frame.sub_type() != kSubWritten || sent_frame_ != kWriteFrames - 1) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(Step::Written);
      return;
    case Step::EnableReset:
      // The handset's answer to 64 01: type 0x40, 64 01 in data bytes 2 and 3.
      if (frame.type() != kMsgNetMonitor || frame.data(2) != 0x64 || frame.data(3) != 0x01) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(Step::RequestReset);
      return;
    case Step::ResetSent:
      // A handset that answers the reset itself before it goes.
      if (frame.type() == kMsgNetMonitor && frame.data(3) == 0x03) engine.frames().acknowledge(frame.type());
      return;
    default:
      return;
  }
}

void StartupGraphicFamily::link_reset() {
  reply_.reset();
  link_lost_ = true;
  // A write resumed after a reconnect starts from its first frame afresh.
  sent_frame_ = -1;
  restarts_ = 0;
}

void StartupGraphicFamily::finish(OperationEngine& engine, int text_id, std::optional<GraphicsEvent> event) {
  engine.finish(text_id);
  if (event) records_.listeners.notify(*event);
}

}  // namespace phondeck
