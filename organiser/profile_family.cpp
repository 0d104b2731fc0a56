#include "organiser/profile_family.h"

#include <array>

#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "phonebook/text_codec.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeProfile = kMsgProfile;
constexpr std::uint8_t kTypeKey = kMsgKeypress;
constexpr int kSubFeature = 0x14;
constexpr int kSubName = 0x1B;
constexpr int kSubWritten = 0x11;
constexpr int kSubRefused = 0x12;
constexpr int kKeyPress = 1;
constexpr int kKeyRelease = 2;
constexpr std::size_t kTrailer = 2;  // frames remaining, sequence

constexpr int kTextReadProcessing = 3056;
constexpr int kTextReadCompleted = 3057;
constexpr int kTextWriteProcessing = 3058;
constexpr int kTextWriteCompleted = 3059;
constexpr int kTextRefused = 3680;
constexpr int kKeyRequests = 2 * static_cast<int>(std::size(ProfileFamily::kActivateKeys));

Operation profile_operation(int step, const OperationParams& params) {
  Operation op;
  op.family = LinkState::Media;
  op.step = step;
  op.params = params;
  op.model_check = true;
  return op;
}

std::uint8_t byte_of(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

bool start_profile_read(OperationEngine& engine) {
  OperationParams params;
  ProfileParams p(params);
  p.set_profile(0);
  p.set_profiles(kProfileCount);
  return engine.guard_without_confirmation(profile_operation(ProfileFamily::kStepRead, params));
}

bool start_profile_write(OperationEngine& engine, ProfileFamily& family) {
  std::vector<ProfileChange> changes = family.profiles().changes();
  if (changes.empty()) return true;
  if (!engine.guard_with_confirmation(profile_operation(ProfileFamily::kStepWrite, OperationParams{}))) return false;
  family.set_changes(std::move(changes));
  return true;
}

bool start_profile_activate(OperationEngine& engine, int profile) {
  if (profile < 0 || profile >= kActivatableProfiles) return false;
  OperationParams params;
  ProfileParams p(params);
  p.set_target(profile);
  return engine.guard_without_confirmation(profile_operation(ProfileFamily::kStepActivate, params));
}

void ProfileFamily::send_phase(OperationEngine& engine) {
  const int step = engine.step();
  ProfileParams p(engine.params());
  switch (step) {
    case kStepRead:
    case kStepWrite:
    case kStepActivate:
      engine.push(LinkState::Media, step + 1);
      engine.start_resynchronise();
      return;
    case kStepReadName:
      send_read_name(engine);
      return;
    case kStepReadFeature: {
      const std::array<std::uint8_t, 7> request{0x00, 0x01, 0x00, 0x13, 0x01, byte_of(p.profile()),
                                                byte_of(profile_feature_code(p.next()))};
      engine.frames().send_request(kTypeProfile, request, 1);
      return;
    }
    case kStepWriteStart:
      refused_.clear();
      engine.progress_max(static_cast<int>(changes_.size()));
      engine.status_text_id(kTextWriteProcessing);
      p.set_next(0);
      engine.set_step(kStepWriteFeature);
      send_write(engine);
      return;
    case kStepWriteFeature:
      send_write(engine);
      return;
    case kStepActivateKeys:
      send_key(engine);
      return;
    default:
      return;
  }
}

void ProfileFamily::send_read_name(OperationEngine& engine) {
  ProfileParams p(engine.params());
  if (p.profile() == 0 && p.next() == 0) {
    engine.progress_max(kReadExchanges);
    engine.status_text_id(kTextReadProcessing);
  }
  if (p.profile() < p.profiles() && p.profile() < kProfileCount) {
    const std::array<std::uint8_t, 5> request{0x00, 0x01, 0x00, 0x1A, byte_of(p.profile())};
    engine.frames().send_request(kTypeProfile, request, 1);
    return;
  }
  engine.progress_done();
  engine.status_text_id(kTextReadCompleted);
  profiles_.show_read();
  if (read_done_) read_done_();
  engine.set_end();
  engine.step_end();
}

void ProfileFamily::send_write(OperationEngine& engine) {
  ProfileParams p(engine.params());
  const int next = p.next();
  if (next < 0 || next >= static_cast<int>(changes_.size())) {
    engine.progress_done();
    engine.status_text_id(kTextWriteCompleted);
    if (write_done_) write_done_(refused_);
    engine.set_end();
    engine.step_end();
    return;
  }
  const ProfileChange& c = changes_[static_cast<std::size_t>(next)];
  const std::array<std::uint8_t, 9> request{0x00, 0x01, 0x00, 0x10, 0x01, byte_of(c.profile),
                                            byte_of(c.feature_code), c.value, 0x01};
  engine.frames().send_request(kTypeProfile, request, 1);
}

// One press or release a send phase; the handset's acknowledgement completes
// each (no reply is awaited).
void ProfileFamily::send_key(OperationEngine& engine) {
  ProfileParams p(engine.params());
  const int k = p.next();
  if (k == 0) engine.status_text_id(kTextWriteProcessing);
  if (k >= kKeyRequests) {
    engine.status_text_id(kTextWriteCompleted);
    engine.set_end();
    engine.step_end();
    return;
  }
  const int key = k / 2 == kProfileKey ? p.target() + 1 : kActivateKeys[k / 2];
  const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x42, byte_of(k % 2 == 0 ? kKeyPress : kKeyRelease),
                                            byte_of(key)};
  p.set_next(k + 1);
  engine.frames().send_request(kTypeKey, request, 0);
}

void ProfileFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeProfile) return;
  switch (engine.step()) {
    case kStepReadName:
      take_name(engine, frame);
      return;
    case kStepReadFeature:
      take_feature(engine, frame);
      return;
    case kStepWriteFeature:
      take_write(engine, frame);
      return;
    default:
      return;
  }
}

// 00 01 00 1B .. .. .. .. <profile> <length> <name>: only the profile asked for.
void ProfileFamily::take_name(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  if (frame.sub_type() != kSubName || frame.data(8) != p.profile() || frame.data(9) < 0) return;
  const std::size_t available = frame.data_length() > 10 + kTrailer ? frame.data_length() - 10 - kTrailer : 0;
  const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(frame.data(9)), available);
  const std::string name = decode_name(std::span<const std::uint8_t>(frame.data() + 10, length));
  profiles_.store_read_name(p.profile(), name);
  engine.progress_advance();
  p.set_next(0);
  engine.set_step(kStepReadFeature);
  engine.frames().acknowledge(kTypeProfile);
}

// 00 01 00 14 01 <profile> <feature code> .. <value>: only the feature asked for.
void ProfileFamily::take_feature(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  const int code = profile_feature_code(p.next());
  if (frame.sub_type() != kSubFeature || frame.data(5) != p.profile() || frame.data(6) != code || frame.data(8) < 0) {
    return;
  }
  profiles_.store_read_value(p.profile(), code, byte_of(frame.data(8)));
  engine.progress_advance();
  if (p.next() + 1 >= kProfileFeatures) {
    p.set_profile(p.profile() + 1);
    p.set_next(0);
    engine.set_step(kStepReadName);
  } else {
    p.set_next(p.next() + 1);
  }
  engine.frames().acknowledge(kTypeProfile);
}

// 00 01 00 11 (taken) or 00 01 00 12 <reason> (refused); a reply that names
// its profile and feature (bytes 5, 6) counts only for the one sent.
void ProfileFamily::take_write(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  const int next = p.next();
  if (next < 0 || next >= static_cast<int>(changes_.size())) return;
  const ProfileChange& c = changes_[static_cast<std::size_t>(next)];
  const int sub = frame.sub_type();
  if (sub != kSubWritten && sub != kSubRefused) return;
  const std::size_t length = frame.data_length() >= kTrailer ? frame.data_length() - kTrailer : 0;
  if (length > 6 && (frame.data(5) != c.profile || frame.data(6) != c.feature_code)) return;
  if (sub == kSubWritten) {
    profiles_.change_written(c);
  } else {
    refused_.push_back({c, length > 7 ? frame.data(7) : frame.data(4)});
  }
  engine.progress_advance();
  p.set_next(next + 1);
  engine.frames().acknowledge(kTypeProfile);
}

std::string refused_changes_text(const ProfileSet& profiles, const std::vector<RefusedChange>& refused) {
  if (refused.empty()) return {};
  std::string text = tx(kTextRefused);
  for (const RefusedChange& r : refused) {
    const int feature = profile_feature_index(r.change.feature_code);
    const std::string label = feature == kCallerGroupSetting ? tx(2225) : profile_setting_label(feature);
    text += "\n" + profiles.shown_name(r.change.profile) + ": " + label;
  }
  return text;
}

}  // namespace phondeck
