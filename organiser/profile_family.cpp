#include "organiser/profile_family.h"

#include <algorithm>
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

using Step = ProfileFamily::Step;

Operation profile_operation(Step step, const OperationParams& params) {
  Operation op;
  op.family = LinkState::Media;
  op.step = static_cast<int>(step);
  op.params = params;
  op.model_check = true;
  return op;
}

std::uint8_t byte_of(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

bool start_profile_read(OperationEngine& engine, StartOptions options) {
  OperationParams params;
  ProfileParams p(params);
  p.set_profile(0);
  p.set_profiles(kProfileCount);
  return engine.guard_without_confirmation(
      profile_operation(Step::OpenRead, params).with(std::move(options)));
}

bool start_profile_write(OperationEngine& engine, ProfileFamily& family, StartOptions options) {
  std::vector<ProfileChange> changes = family.profiles().changes();
  if (changes.empty()) {
    // Nothing changed: nothing to write.
    engine.deliver(options.done, OperationResult{});
    return true;
  }
  if (!engine.guard_with_confirmation(
          profile_operation(Step::OpenWrite, OperationParams{}).with(std::move(options)))) {
    return false;
  }
  family.set_changes(std::move(changes));
  return true;
}

bool start_profile_activate(OperationEngine& engine, int profile, StartOptions options) {
  if (profile < 0 || profile >= kActivatableProfiles) return engine.refuse(options.done, Refusal::BadInput);
  OperationParams params;
  ProfileParams p(params);
  p.set_target(profile);
  return engine.guard_without_confirmation(
      profile_operation(Step::OpenActivate, params).with(std::move(options)));
}

void ProfileFamily::send_phase(OperationEngine& engine) {
  const Step step = engine.step_as<Step>();
  ProfileParams p(engine.params());
  switch (step) {
    case Step::OpenRead:
    case Step::OpenWrite:
    case Step::OpenActivate:
      engine.open_exchange(static_cast<int>(step) + 1);
      return;
    case Step::ReadName:
      send_read_name(engine);
      return;
    case Step::ReadFeature: {
      const std::array<std::uint8_t, 7> request{0x00, 0x01, 0x00, 0x13, 0x01, byte_of(p.profile()),
                                                byte_of(profile_feature_code(p.next()))};
      engine.frames().send_request(kTypeProfile, request, 1);
      return;
    }
    case Step::WriteStart:
      refused_.clear();
      engine.result().entries = 0;
      engine.result().refused_items = 0;
      engine.progress_max(static_cast<int>(changes_.size()));
      engine.status_text_id(kTextWriteProcessing);
      p.set_next(0);
      engine.set_step(Step::WriteFeature);
      send_write(engine);
      return;
    case Step::WriteFeature:
      send_write(engine);
      return;
    case Step::PressKeys:
      send_key(engine);
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
  profiles_.show_read();
  if (read_done_) read_done_();
  engine.finish(kTextReadCompleted);
}

void ProfileFamily::send_write(OperationEngine& engine) {
  ProfileParams p(engine.params());
  const int next = p.next();
  if (next < 0 || next >= static_cast<int>(changes_.size())) {
    engine.result().message = refused_changes_text(profiles_, refused_);
    engine.finish(kTextWriteCompleted);
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
    engine.finish(kTextWriteCompleted);
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
  switch (engine.step_as<Step>()) {
    case Step::ReadName:
      take_name(engine, frame);
      return;
    case Step::ReadFeature:
      take_feature(engine, frame);
      return;
    case Step::WriteFeature:
      take_write(engine, frame);
      return;
    default:
      return;
  }
}

std::optional<std::string> parse_profile_name_reply(std::span<const std::uint8_t> data, int profile) {
  if (data.size() < 10 + kTrailer || data[3] != kSubName || data[8] != profile) return std::nullopt;
  const std::size_t available = data.size() - 10 - kTrailer;
  const std::size_t length = std::min<std::size_t>(data[9], available);
  return decode_name(data.subspan(10, length));
}

std::optional<std::uint8_t> parse_profile_feature_reply(std::span<const std::uint8_t> data, int profile, int code) {
  if (data.size() < 9 || data[3] != kSubFeature || data[5] != profile || data[6] != code) return std::nullopt;
  return data[8];
}

std::optional<ProfileWriteAnswer> parse_profile_write_reply(std::span<const std::uint8_t> data,
                                                            const ProfileChange& change) {
  if (data.size() < 4 || (data[3] != kSubWritten && data[3] != kSubRefused)) return std::nullopt;
  const std::size_t length = data.size() >= kTrailer ? data.size() - kTrailer : 0;
  if (length > 6 && (data[5] != change.profile || data[6] != change.feature_code)) return std::nullopt;
  ProfileWriteAnswer answer;
  answer.taken = data[3] == kSubWritten;
  if (!answer.taken) answer.reason = length > 7 ? data[7] : (data.size() > 4 ? data[4] : 0);
  return answer;
}

namespace {
std::span<const std::uint8_t> data_of(const LinkFrame& frame) { return {frame.data(), frame.data_length()}; }
}  // namespace

void ProfileFamily::take_name(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  const std::optional<std::string> name = parse_profile_name_reply(data_of(frame), p.profile());
  if (!name) return;
  profiles_.store_read_name(p.profile(), *name);
  engine.progress_advance();
  p.set_next(0);
  engine.set_step(Step::ReadFeature);
  engine.frames().acknowledge(kTypeProfile);
}

void ProfileFamily::take_feature(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  const int code = profile_feature_code(p.next());
  const std::optional<std::uint8_t> value = parse_profile_feature_reply(data_of(frame), p.profile(), code);
  if (!value) return;
  profiles_.store_read_value(p.profile(), code, *value);
  engine.progress_advance();
  if (p.next() + 1 >= kProfileFeatures) {
    p.set_profile(p.profile() + 1);
    p.set_next(0);
    engine.result().entries = p.profile();
    engine.set_step(Step::ReadName);
  } else {
    p.set_next(p.next() + 1);
  }
  engine.frames().acknowledge(kTypeProfile);
}

void ProfileFamily::take_write(OperationEngine& engine, const LinkFrame& frame) {
  ProfileParams p(engine.params());
  const int next = p.next();
  if (next < 0 || next >= static_cast<int>(changes_.size())) return;
  const ProfileChange& c = changes_[static_cast<std::size_t>(next)];
  const std::optional<ProfileWriteAnswer> answer = parse_profile_write_reply(data_of(frame), c);
  if (!answer) return;
  if (answer->taken) {
    profiles_.change_written(c);
    ++engine.result().entries;
  } else {
    refused_.push_back({c, answer->reason});
    ++engine.result().refused_items;
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
