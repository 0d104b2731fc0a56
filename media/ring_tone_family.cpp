#include "media/ring_tone_family.h"

#include "link/message_types.h"
#include "link/operation_engine.h"

namespace phondeck {

namespace {

constexpr int kTextWriteProcessing = 3038;
constexpr int kTextWriteCompleted = 3039;
constexpr std::uint8_t kUploadHeader[] = {0x0C, 0x01};

}  // namespace

bool start_ring_tone_write(OperationEngine& engine, RingToneFamily& family, const RingTone& tone,
                           StartOptions options) {
  if (tone.notes.empty()) return engine.refuse(options.done, Refusal::BadInput);
  std::vector<std::uint8_t> message = toSmartMessage(tone);
  if (message.empty() || message.size() > kMaxWrittenToneBytes) return engine.refuse(options.done, Refusal::BadInput);
  Operation write;
  write.family = LinkState::Media;
  write.step = static_cast<int>(RingToneFamily::Step::Open);
  write.model_check = true;
  write.params = OperationParams{};
  // The tone goes with the operation; a write already waiting keeps its own.
  std::vector<std::uint8_t> before = family.message();
  family.set_message(std::move(message));
  if (engine.guard_without_confirmation(write.with(std::move(options)))) return true;
  family.set_message(std::move(before));
  return false;
}

void RingToneFamily::send_phase(OperationEngine& engine) {
  switch (engine.step_as<Step>()) {
    case Step::Open:
      engine.open_exchange(Step::Upload);
      return;
    case Step::Upload: {
      // Once the upload went out and its exchange is done the handset has
      // it. A step sent afresh after a time-out, or resumed after a
      // reconnect, sends again.
      RingToneParams p(engine.params());
      if (p.uploaded() && !link_lost_ && engine.frames().flags().exchange_done()) {
        engine.result().bytes = message_.size();
        engine.finish(kTextWriteCompleted);
        return;
      }
      engine.status_text_id(kTextWriteProcessing);
      std::vector<std::uint8_t> request(std::begin(kUploadHeader), std::end(kUploadHeader));
      request.insert(request.end(), message_.begin(), message_.end());
      p.set_uploaded(true);
      link_lost_ = false;
      engine.frames().send_request(kMsgRingTone, request, 0);
      return;
    }
    default:
      return;
  }
}

void RingToneFamily::reply_phase(OperationEngine&, const LinkFrame&) {}

}  // namespace phondeck
