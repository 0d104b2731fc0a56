#pragma once
// Profiles on the media and settings state (9): Read profiles (steps
// 151..153: each profile's name, then its ten features), Write profiles
// (161..163: the features that changed since the read) and Activate profile
// (171..172: the handset's own menu worked by key presses).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/family_handler.h"
#include "organiser/profiles.h"

namespace phondeck {

// The engine's parameters as the profile operations use them.
class ProfileParams {
 public:
  explicit ProfileParams(OperationParams& params) : p_(params) {}
  // Activate: the profile 0..4 to switch to.
  int target() const { return p_.p0; }
  void set_target(int profile) { p_.p0 = profile; }
  // Read: the feature index 0..9. Write: the next change. Activate: the next
  // key request.
  int next() const { return p_.p1; }
  void set_next(int next) { p_.p1 = next; }
  // Read: the profile being read.
  int profile() const { return p_.p2; }
  void set_profile(int profile) { p_.p2 = profile; }
  // Read: the number of profiles (7).
  int profiles() const { return p_.p3; }
  void set_profiles(int profiles) { p_.p3 = profiles; }

 private:
  OperationParams& p_;
};

// A change the handset refused, with its reason byte.
struct RefusedChange {
  ProfileChange change;
  int reason = 0;
};

// The replies, given a frame's data bytes (the two trailer bytes included).
// Each names the record it answers, and counts only for the one asked for.
// The name of `profile` (00 01 00 1B .. .. .. .. <profile> <length> <name>),
// decoded; nothing for any other reply.
std::optional<std::string> parse_profile_name_reply(std::span<const std::uint8_t> data, int profile);
// The value of `profile`'s feature `code` (00 01 00 14 01 <profile> <code> ..
// <value>).
std::optional<std::uint8_t> parse_profile_feature_reply(std::span<const std::uint8_t> data, int profile, int code);
// A write's answer: 00 01 00 11 (taken) or 00 01 00 12 (refused, with its
// reason byte); one that names a profile and feature must name the change's.
struct ProfileWriteAnswer {
  bool taken = false;
  int reason = 0;
};
std::optional<ProfileWriteAnswer> parse_profile_write_reply(std::span<const std::uint8_t> data,
                                                            const ProfileChange& change);

class ProfileFamily;

// Start functions (all with the model check); false when nothing started.
// Read profiles, through the guard without confirmation: done with the
// profiles read as entries.
bool start_profile_read(OperationEngine& engine, StartOptions options = {});
// Write profiles: the set's changes, through the guard with confirmation;
// nothing starts (and true, done) when nothing changed. Done with the
// changes taken as entries and those the handset refused as refused items
// (named in the message).
bool start_profile_write(OperationEngine& engine, ProfileFamily& family, StartOptions options = {});
// Activate profile 0..4 (else refused as bad input), through the guard
// without confirmation.
bool start_profile_activate(OperationEngine& engine, int profile, StartOptions options = {});

class ProfileFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    OpenRead = 151,
    ReadName = 152,
    ReadFeature = 153,
    OpenWrite = 161,
    WriteStart = 162,
    WriteFeature = 163,
    OpenActivate = 171,
    PressKeys = 172,
  };
  static constexpr int kFirstStep = 151;
  static constexpr int kLastStep = 172;
  // The keys Activate presses and releases; the fourth is the profile's
  // number 1..5.
  static constexpr int kActivateKeys[] = {15, 25, 3, 0, 1};
  static constexpr int kProfileKey = 3;
  static constexpr int kReadExchanges = kProfileCount * (1 + kProfileFeatures);

  explicit ProfileFamily(ProfileSet& profiles) : profiles_(profiles) {}
  ProfileSet& profiles() { return profiles_; }

  // Told when a read has completed (the grid shows the values read).
  void set_read_listener(std::function<void()> listener) { read_done_ = std::move(listener); }
  // The changes a write sends, fixed at its start.
  void set_changes(std::vector<ProfileChange> changes) { changes_ = std::move(changes); }
  const std::vector<RefusedChange>& refused() const { return refused_; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;

 private:
  void send_read_name(OperationEngine& engine);
  void send_write(OperationEngine& engine);
  void send_key(OperationEngine& engine);
  void take_name(OperationEngine& engine, const LinkFrame& frame);
  void take_feature(OperationEngine& engine, const LinkFrame& frame);
  void take_write(OperationEngine& engine, const LinkFrame& frame);

  ProfileSet& profiles_;
  std::function<void()> read_done_;
  std::vector<ProfileChange> changes_;
  std::vector<RefusedChange> refused_;
};

// The message a write ends with ("" when nothing was refused).
std::string refused_changes_text(const ProfileSet& profiles, const std::vector<RefusedChange>& refused);

}  // namespace phondeck
