#include "media/graphics_family.h"

#include <algorithm>
#include <array>

#include "link/message_types.h"
#include "link/operation_engine.h"
#include "media/graphics_messages.h"

namespace phondeck {
namespace {

using Step = GraphicsFamily::Step;

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

Operation graphics_operation(Step step, bool model_check) {
  Operation op;
  op.family = LinkState::Media;
  op.step = static_cast<int>(step);
  op.model_check = model_check;
  return op;
}

// The request of a step that expects no reply got its acknowledgement (the
// step after it runs on the acknowledgement, or when it was given up).
bool acknowledged(OperationEngine& engine) { return engine.frames().flags().ack_received != 0; }

}  // namespace

bool start_group_read(OperationEngine& engine, GraphicsFamily& family, GroupReadPurpose purpose,
                      StartOptions options) {
  Operation read = graphics_operation(Step::OpenGroupRead, true);
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
          graphics_operation(Step::OpenGroupGraphicWrite, true).with(std::move(options)))) {
    return false;
  }
  // The first step only opens the exchange; the bytes go out later.
  family.set_group_graphic(group_graphic_message(picture));
  return true;
}

bool start_network_code_read(OperationEngine& engine, GraphicsFamily&, StartOptions options) {
  return engine.guard_without_confirmation(
      graphics_operation(Step::OpenNetworkCodeRead, false).with(std::move(options)));
}

bool start_system_logo_read(OperationEngine& engine, GraphicsFamily&, StartOptions options) {
  return engine.guard_without_confirmation(
      graphics_operation(Step::OpenSystemLogoRead, false).with(std::move(options)));
}

bool start_system_logo_write(OperationEngine& engine, GraphicsFamily& family, const MonoBitmap& picture, int mcc,
                             int mnc, StartOptions options) {
  if (!engine.guard_with_confirmation(
          graphics_operation(Step::OpenSystemLogoWrite, false).with(std::move(options)))) {
    return false;
  }
  family.set_operator_logo(operator_logo_data(picture, mcc, mnc));
  return true;
}

void GraphicsFamily::send_phase(OperationEngine& engine) {
  const Step step = engine.step_as<Step>();
  switch (step) {
    case Step::OpenGroupRead:
      engine.progress_done();
      engine.progress_max(kCallerGroups);
      engine.status_text_id(kTextGroupProcessing);
      [[fallthrough]];
    case Step::OpenGroupGraphicWrite:
    case Step::OpenNetworkCodeRead:
    case Step::OpenSystemLogoRead:
    case Step::OpenSystemLogoWrite:
      reply_.reset();
      engine.open_exchange(static_cast<int>(step) + 1);
      return;

    case Step::SendGroupGraphic: {
      engine.status_text_id(kTextWriteProcessing);
      std::vector<std::uint8_t> request{0x0C, 0x01};
      request.insert(request.end(), group_graphic_.begin(), group_graphic_.end());
      engine.set_step(Step::GroupGraphicSent);
      link_lost_ = false;
      engine.frames().send_request(kMsgPictureUpload, request, 0);
      return;
    }
    case Step::GroupGraphicSent:
      if (link_lost_ || !acknowledged(engine)) {  // given up, or resumed: sent afresh
        engine.set_step(Step::SendGroupGraphic);
        engine.set_again();
        return;
      }
      engine.result().bytes = group_graphic_.size();
      finish(engine, kTextWriteCompleted, GraphicsEvent::GroupGraphicWritten);
      return;

    case Step::RequestNetworkCode: {
      const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x70, 0x01};
      engine.set_step(Step::NetworkCodeRequested);
      link_lost_ = false;
      engine.frames().send_request(kMsgNetwork, request, 0);
      return;
    }
    case Step::NetworkCodeRequested:
      if (link_lost_ || !acknowledged(engine)) {
        engine.set_step(Step::RequestNetworkCode);
        engine.set_again();
        return;
      }
      finish(engine, 0, GraphicsEvent::NetworkCodeRead);
      return;

    case Step::RequestGroup: {
      if (reply_.collecting()) return;  // the rest of the record is on its way
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

    case Step::RequestSystemLogo: {
      if (reply_.collecting()) return;
      const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x33, 0x01};
      engine.frames().send_request(kMsgMedia, request, 1);
      engine.status_text_id(kTextLogoProcessing);
      return;
    }
    case Step::SystemLogoTaken:
      engine.result().bytes = kLogoBytes;
      finish(engine, kTextLogoCompleted, GraphicsEvent::SystemLogoRead);
      return;

    case Step::SendSystemLogo: {
      engine.status_text_id(kTextWriteProcessing);
      std::vector<std::uint8_t> request{0x00, 0x01};
      request.insert(request.end(), operator_logo_.begin(), operator_logo_.end());
      engine.frames().send_request(kMsgMedia, request, 1);
      return;
    }
    case Step::SystemLogoAnswered:
      engine.result().bytes = operator_logo_.size();
      finish(engine, kTextWriteCompleted, GraphicsEvent::SystemLogoWritten);
      return;

    default:
      return;
  }
}

void GraphicsFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  switch (engine.step_as<Step>()) {
    case Step::RequestGroup:
      if (frame.type() == kMsgPhoneBook) take_group_frame(engine, frame);
      return;
    case Step::RequestSystemLogo:
      if (frame.type() == kMsgMedia) take_logo_frame(engine, frame);
      return;
    case Step::SendSystemLogo:
      if (frame.type() != kMsgMedia) return;
      engine.frames().acknowledge(frame.type());
      engine.set_step(Step::SystemLogoAnswered);
      return;
    default:
      return;
  }
}

void GraphicsFamily::link_reset() {
  link_lost_ = true;
  reply_.reset();
}

void GraphicsFamily::take_group_frame(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  // The answer to the one group asked for; what data byte 4 holds is not
  // relied on (a late answer after a resend is the engine's to drop).
  const bool first = payload.size() >= kGroupRecordAt && payload[3] == kSubGroupRecord;
  const MultiFrameReply::Take take = reply_.take(frame, first, kGroupRecordAt);
  if (take == MultiFrameReply::Take::Ignored) return;
  engine.frames().acknowledge(frame.type());
  if (take != MultiFrameReply::Take::Complete) return;
  GroupReadParams p(engine.params());
  if (p.next() >= 0 && p.next() < kCallerGroups) parse_group_record(reply_.take_bytes(), groups().at(p.next()));
  ++engine.result().entries;
  engine.progress_advance();
  p.set_next(p.next() + 1);
}

void GraphicsFamily::take_logo_frame(OperationEngine& engine, const LinkFrame& frame) {
  const std::span<const std::uint8_t> payload = reply_payload(frame);
  const bool first = !reply_.collecting() && payload.size() >= kLogoPictureAt;
  const MultiFrameReply::Take take = reply_.take(frame, first, kLogoPictureAt);
  if (take == MultiFrameReply::Take::Ignored) return;
  if (first) network_code_from_bytes(payload.subspan<kLogoCodeAt, 3>(), logo_mcc_, logo_mnc_);
  engine.frames().acknowledge(frame.type());
  if (take != MultiFrameReply::Take::Complete) return;
  std::vector<std::uint8_t> picture = reply_.take_bytes();
  picture.resize(std::max(picture.size(), kLogoBytes), 0x00);
  CallerGroup& first_group = groups().at(0);
  std::copy_n(picture.begin(), kLogoBytes, first_group.logo.begin());
  OperatorLogo& logo = records_.operator_logo;
  logo.picture = unpackRows(std::span<const std::uint8_t>(picture).first(kLogoBytes));
  logo.mcc = logo_mcc_;
  logo.mnc = logo_mnc_;
  logo.read = true;
  engine.set_step(Step::SystemLogoTaken);
}

void GraphicsFamily::finish(OperationEngine& engine, int text_id, GraphicsEvent event) {
  engine.finish(text_id);
  // Told once the engine has moved on, so a listener may show a dialog or
  // start the next operation.
  records_.listeners.notify(event);
}

}  // namespace phondeck
