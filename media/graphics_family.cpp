#include "media/graphics_family.h"

#include <algorithm>
#include <array>

#include "link/message_types.h"
#include "link/operation_engine.h"
#include "media/graphics_messages.h"

namespace phondeck {
namespace {

constexpr int kStepGroupGraphicRequest = 22;
constexpr int kStepGroupGraphicEnd = 23;
constexpr int kStepNetworkCodeRequest = 32;
constexpr int kStepNetworkCodeEnd = 33;
constexpr int kStepGroupRequest = 102;
constexpr int kStepLogoRequest = 122;
constexpr int kStepLogoEnd = 123;
constexpr int kStepLogoWriteRequest = 132;
constexpr int kStepLogoWriteEnd = 133;

constexpr int kTextWriteProcessing = 3040;
constexpr int kTextWriteCompleted = 3041;
constexpr int kTextGroupProcessing = 3050;
constexpr int kTextGroupCompleted = 3051;
constexpr int kTextLogoProcessing = 3054;
constexpr int kTextLogoCompleted = 3055;

constexpr std::uint8_t kSubGroupRequest = 0x10;
constexpr std::uint8_t kSubGroupRecord = 0x11;
constexpr std::size_t kGroupRecordAt = 5;  // first frame: 00 01 00 11 group, then the record
constexpr std::size_t kLogoPictureAt = 14;  // first frame: up to the picture header's end
constexpr std::size_t kLogoCodeAt = 5;

Operation graphics_operation(int step, bool model_check) {
  Operation op;
  op.family = LinkState::Media;
  op.step = step;
  op.model_check = model_check;
  return op;
}

// A reply's payload (the trailer removed) and its frames-remaining byte.
std::span<const std::uint8_t> payload_of(const LinkFrame& frame) {
  const std::size_t n = frame.data_length();
  return {frame.data(), n >= 2 ? n - 2 : 0};
}
int frames_remaining(const LinkFrame& frame) {
  const std::size_t n = frame.data_length();
  return n >= 2 ? frame.data()[n - 2] : 1;
}

// The request of a step that expects no reply got its acknowledgement (the
// step after it runs on the acknowledgement, or when it was given up).
bool acknowledged(OperationEngine& engine) { return engine.frames().flags().ack_received != 0; }

}  // namespace

bool start_group_read(OperationEngine& engine, GraphicsFamily& family, GroupReadPurpose purpose,
                      StartOptions options) {
  Operation read = graphics_operation(GraphicsFamily::kStepReadGroups, true);
  OperationParams params;
  GroupReadParams p(params);
  p.set_next(0);
  p.set_count(kCallerGroups);
  read.params = params;
  if (!engine.guard_without_confirmation(read.with(std::move(options)))) return false;
  family.groups().purpose = purpose;
  return true;
}

bool start_group_graphic_write(OperationEngine& engine, GraphicsFamily& family, const MonoBitmap& picture,
                               StartOptions options) {
  if (!engine.guard_without_confirmation(
          graphics_operation(GraphicsFamily::kStepWriteGroupGraphic, true).with(std::move(options)))) {
    return false;
  }
  // The first step only opens the exchange; the bytes go out later.
  family.set_group_graphic(group_graphic_message(picture));
  return true;
}

bool start_network_code_read(OperationEngine& engine, GraphicsFamily&, StartOptions options) {
  return engine.guard_without_confirmation(
      graphics_operation(GraphicsFamily::kStepReadNetworkCode, false).with(std::move(options)));
}

bool start_system_logo_read(OperationEngine& engine, GraphicsFamily&, StartOptions options) {
  return engine.guard_without_confirmation(
      graphics_operation(GraphicsFamily::kStepReadSystemLogo, false).with(std::move(options)));
}

bool start_system_logo_write(OperationEngine& engine, GraphicsFamily& family, const MonoBitmap& picture, int mcc,
                             int mnc, StartOptions options) {
  if (!engine.guard_with_confirmation(
          graphics_operation(GraphicsFamily::kStepWriteSystemLogo, false).with(std::move(options)))) {
    return false;
  }
  family.set_operator_logo(operator_logo_data(picture, mcc, mnc));
  return true;
}

void GraphicsFamily::send_phase(OperationEngine& engine) {
  const int step = engine.step();
  switch (step) {
    case kStepReadGroups:
      engine.progress_done();
      engine.progress_max(kCallerGroups);
      engine.status_text_id(kTextGroupProcessing);
      [[fallthrough]];
    case kStepWriteGroupGraphic:
    case kStepReadNetworkCode:
    case kStepReadSystemLogo:
    case kStepWriteSystemLogo:
      collecting_ = false;
      collected_.clear();
      engine.push(LinkState::Media, step + 1);
      engine.start_resynchronise();
      return;

    case kStepGroupGraphicRequest: {
      engine.status_text_id(kTextWriteProcessing);
      std::vector<std::uint8_t> request{0x0C, 0x01};
      request.insert(request.end(), group_graphic_.begin(), group_graphic_.end());
      engine.set_step(kStepGroupGraphicEnd);
      link_lost_ = false;
      engine.frames().send_request(kMsgPictureUpload, request, 0);
      return;
    }
    case kStepGroupGraphicEnd:
      if (link_lost_ || !acknowledged(engine)) {  // given up, or resumed: sent afresh
        engine.set_step(kStepGroupGraphicRequest);
        engine.set_again();
        return;
      }
      finish(engine, kTextWriteCompleted, GraphicsEvent::GroupGraphicWritten);
      return;

    case kStepNetworkCodeRequest: {
      const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x70, 0x01};
      engine.set_step(kStepNetworkCodeEnd);
      link_lost_ = false;
      engine.frames().send_request(kMsgNetwork, request, 0);
      return;
    }
    case kStepNetworkCodeEnd:
      if (link_lost_ || !acknowledged(engine)) {
        engine.set_step(kStepNetworkCodeRequest);
        engine.set_again();
        return;
      }
      finish(engine, 0, GraphicsEvent::NetworkCodeRead);
      return;

    case kStepGroupRequest: {
      if (collecting_) return;  // the rest of the record is on its way
      GroupReadParams p(engine.params());
      if (p.next() < std::min(p.count(), kCallerGroups)) {
        const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, kSubGroupRequest,
                                                  static_cast<std::uint8_t>(p.next())};
        engine.frames().send_request(kMsgPhoneBook, request, 1);
        return;
      }
      finish(engine, kTextGroupCompleted, GraphicsEvent::GroupsRead);
      return;
    }

    case kStepLogoRequest: {
      if (collecting_) return;
      const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x33, 0x01};
      engine.frames().send_request(kMsgMedia, request, 1);
      engine.status_text_id(kTextLogoProcessing);
      return;
    }
    case kStepLogoEnd:
      finish(engine, kTextLogoCompleted, GraphicsEvent::SystemLogoRead);
      return;

    case kStepLogoWriteRequest: {
      engine.status_text_id(kTextWriteProcessing);
      std::vector<std::uint8_t> request{0x00, 0x01};
      request.insert(request.end(), operator_logo_.begin(), operator_logo_.end());
      engine.frames().send_request(kMsgMedia, request, 1);
      return;
    }
    case kStepLogoWriteEnd:
      finish(engine, kTextWriteCompleted, GraphicsEvent::SystemLogoWritten);
      return;

    default:
      return;
  }
}

void GraphicsFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  switch (engine.step()) {
    case kStepGroupRequest:
      if (frame.type() == kMsgPhoneBook) take_group_frame(engine, frame);
      return;
    case kStepLogoRequest:
      if (frame.type() == kMsgMedia) take_logo_frame(engine, frame);
      return;
    case kStepLogoWriteRequest:
      if (frame.type() != kMsgMedia) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(kStepLogoWriteEnd);
      return;
    default:
      return;
  }
}

void GraphicsFamily::link_reset() {
  link_lost_ = true;
  collecting_ = false;
  collected_.clear();
}

void GraphicsFamily::take_group_frame(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = payload_of(frame);
  const int remaining = frames_remaining(frame);
  GroupReadParams p(engine.params());
  // The answer to the one group asked for; what data byte 4 holds is not
  // relied on (a late answer after a resend is the engine's to drop).
  const bool first = payload.size() >= kGroupRecordAt && payload[3] == kSubGroupRecord;
  if (collecting_ && remaining == expect_remaining_) {
    collected_.insert(collected_.end(), payload.begin(), payload.end());
  } else if (first) {
    collected_.assign(payload.begin() + static_cast<long>(kGroupRecordAt), payload.end());
  } else {
    return;
  }
  engine.frames().acknowledge(frame.type());
  if (remaining > 1) {
    collecting_ = true;
    expect_remaining_ = remaining - 1;
    return;
  }
  collecting_ = false;
  if (p.next() >= 0 && p.next() < kCallerGroups) parse_group_record(collected_, groups().at(p.next()));
  collected_.clear();
  engine.progress_advance();
  p.set_next(p.next() + 1);
}

void GraphicsFamily::take_logo_frame(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = payload_of(frame);
  const int remaining = frames_remaining(frame);
  if (collecting_ && remaining == expect_remaining_) {
    collected_.insert(collected_.end(), payload.begin(), payload.end());
  } else if (!collecting_ && payload.size() >= kLogoPictureAt) {
    network_code_from_bytes(payload.subspan<kLogoCodeAt, 3>(), logo_mcc_, logo_mnc_);
    collected_.assign(payload.begin() + static_cast<long>(kLogoPictureAt), payload.end());
  } else {
    return;
  }
  engine.frames().acknowledge(frame.type());
  if (remaining > 1) {
    collecting_ = true;
    expect_remaining_ = remaining - 1;
    return;
  }
  collecting_ = false;
  collected_.resize(std::max(collected_.size(), kLogoBytes), 0x00);
  CallerGroup& first_group = groups().at(0);
  std::copy_n(collected_.begin(), kLogoBytes, first_group.logo.begin());
  OperatorLogo& logo = records_.operator_logo;
  logo.picture = unpackRows(std::span<const std::uint8_t>(collected_).first(kLogoBytes));
  logo.mcc = logo_mcc_;
  logo.mnc = logo_mnc_;
  logo.read = true;
  collected_.clear();
  engine.set_step(kStepLogoEnd);
}

void GraphicsFamily::finish(OperationEngine& engine, int text_id, GraphicsEvent event) {
  if (text_id != 0) engine.status_text_id(text_id);
  engine.progress_done();
  engine.set_end();
  engine.step_end();
  // Told once the engine has moved on, so a listener may show a dialog or
  // start the next operation.
  records_.listeners.notify(event);
}

}  // namespace phondeck
