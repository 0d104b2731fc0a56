#include "media/group_write_family.h"

#include <algorithm>

#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "media/graphics_family.h"

namespace phondeck {
namespace {

using Step = GroupWriteFamily::Step;

constexpr int kSubWritten = 0x14;
constexpr int kTextProcessing = 3052;
constexpr int kTextCompleted = 3053;
constexpr int kTextLogoNotWritten = 3711;

// The engine's parameters as Write Groups uses them: the next group (p2) and
// the number of groups (p3), as Read Groups does.
template <typename AnyStep>
Operation group_operation(AnyStep step, const OperationParams& params, bool model_check) {
  Operation op;
  op.family = LinkState::Media;
  op.step = static_cast<int>(step);
  op.params = params;
  op.model_check = model_check;
  return op;
}

OperationParams first_group() {
  OperationParams params;
  GroupReadParams p(params);
  p.set_next(0);
  p.set_count(kCallerGroups);
  return params;
}

}  // namespace

bool start_group_write(OperationEngine& engine, GroupWriteFamily& family,
                       const std::array<std::vector<std::uint8_t>, kCallerGroups>& names, StartOptions options) {
  if (!engine.guard_with_confirmation(
          group_operation(Step::Open, first_group(), true).with(std::move(options)))) {
    return false;
  }
  family.set_names(names);
  return true;
}

bool start_group_restore(OperationEngine& engine, GroupWriteFamily& family, const CallerGroupTable& groups,
                         StartOptions options) {
  if (!engine.guard_with_confirmation(
          group_operation(Step::Open, first_group(), true).with(std::move(options)))) {
    return false;
  }
  family.set_groups(groups);
  return true;
}

bool start_group_logo_write(OperationEngine& engine, GroupWriteFamily& family, int group,
                            const MonoBitmap& picture, StartOptions options) {
  if (group < 0 || group >= kCallerGroups) return engine.refuse(options.done, Refusal::BadInput);
  if (!engine.guard_with_confirmation(
          group_operation(Step::Open, first_group(), true).with(std::move(options)))) {
    return false;
  }
  family.set_logo(group, picture);
  return true;
}

std::vector<std::uint8_t> group_write_payload(const CallerGroup& group, int index) {
  static constexpr std::uint8_t kHead[] = {0x00, 0x01, 0x00, 0x13};
  // After the ringing tone and the logo's on/off: the logo's size (132) and
  // its picture header.
  static constexpr std::uint8_t kLogoHead[] = {0x00, 0x84, 0x00, 0x48, 0x0E, 0x01};
  const std::span<const std::uint8_t> name = group.name_bytes();
  std::vector<std::uint8_t> p(std::begin(kHead), std::end(kHead));
  p.push_back(static_cast<std::uint8_t>(index));
  p.push_back(static_cast<std::uint8_t>(name.size()));
  for (std::uint8_t b : name) p.push_back(b);
  p.push_back(group.ringing_tone);
  p.push_back(group.logo_on ? 0x01 : 0x00);
  for (std::uint8_t b : kLogoHead) p.push_back(b);
  for (std::uint8_t b : group.logo) p.push_back(b);
  return p;
}

void GroupWriteFamily::set_logo(int group, const MonoBitmap& picture) {
  CallerGroup scratch;
  scratch.set_picture(picture);
  logo_ = scratch.logo;
  logo_group_ = group;
  whole_.reset();
  logo_tries_ = 0;
  logo_ready_ = false;
}

void GroupWriteFamily::operation_abandoned(OperationResult& lost) {
  interrupted_ = false;
  if (lost.step < kFirstStep || lost.step > kLastStep) return;  // another family's
  // The sub-operation's reads counted as it went: what this write did is the
  // groups the handset answered.
  lost.entries = static_cast<int>(answered_.count());
}

void GroupWriteFamily::restart(OperationEngine& engine) {
  // Resumed after a reconnect: read every group afresh, then write.
  GroupReadParams p(engine.params());
  interrupted_ = false;
  writing_ = true;
  logo_ready_ = false;
  p.set_next(0);
  p.set_count(kCallerGroups);
  engine.set_step(Step::ReadFirst);
  send_phase(engine);
}

// Write into Group at step 113 (p2 counts the answered writes, 0 or 1) and
// 114: the group as read with the new logo, then that group read back.
void GroupWriteFamily::send_logo_phase(OperationEngine& engine) {
  GroupReadParams p(engine.params());
  const int index = *logo_group_;
  if (engine.step_as<Step>() == Step::WriteGroup) {
    if (p.next() == 0) {
      if (!logo_ready_) {
        // Name and ringing tone as the read before gave them.
        logo_written_ = groups_.at(index);
        logo_written_.logo = logo_;
        logo_written_.logo_on = true;  // a new logo is to be seen
        logo_ready_ = true;
        engine.status_text_id(kTextProcessing);
      }
      engine.frames().send_request(kMsgPhoneBook, group_write_payload(logo_written_, index), 1);
      return;
    }
    engine.push(LinkState::Media, static_cast<int>(Step::CheckGroup));
    OperationParams params;
    GroupReadParams read(params);
    read.set_next(index);
    read.set_count(index + 1);
    groups_.purpose = GroupReadPurpose::None;
    engine.start(group_operation(GraphicsFamily::Step::OpenGroupRead, params, false), 0);
    return;
  }
  const CallerGroup& back = groups_.at(index);
  const bool same = std::ranges::equal(back.name_bytes(), logo_written_.name_bytes()) &&
                    back.ringing_tone == logo_written_.ringing_tone && back.logo == logo_written_.logo &&
                    back.logo_on == logo_written_.logo_on;
  if (!same && ++logo_tries_ < kLogoTries) {
    p.set_next(0);
    engine.set_step(Step::WriteGroup);
    send_phase(engine);
    return;
  }
  writing_ = false;
  if (same) {
    engine.result().entries = 1;
    engine.finish(kTextCompleted);
  } else {
    engine.result().entries = 0;
    engine.result().message = tx(kTextLogoNotWritten);
    engine.finish_failed(-1, kTextLogoNotWritten);
  }
  // Told once the engine has moved on, so a listener may show a dialog.
  records_.listeners.notify(same ? GraphicsEvent::GroupLogoWritten : GraphicsEvent::GroupLogoNotWritten);
}

void GroupWriteFamily::send_phase(OperationEngine& engine) {
  GroupReadParams p(engine.params());
  switch (engine.step_as<Step>()) {
    case Step::Open:
      writing_ = true;
      interrupted_ = false;
      logo_ready_ = false;
      answered_.reset();
      engine.open_exchange(Step::ReadFirst);
      return;
    case Step::ReadFirst:
      // Read Groups as a sub-operation: every entry then holds the
      // handset's present name and logo.
      engine.push(LinkState::Media, static_cast<int>(Step::WriteGroup));
      groups_.purpose = GroupReadPurpose::None;
      engine.start(group_operation(GraphicsFamily::Step::OpenGroupRead, first_group(), false), 0);
      return;
    case Step::CheckGroup:
    case Step::WriteGroup: {
      if (interrupted_) {
        restart(engine);
        return;
      }
      if (logo_group_) {
        send_logo_phase(engine);
        return;
      }
      if (p.next() == 0) {
        engine.progress_max(kCallerGroups);
        engine.status_text_id(kTextProcessing);
      }
      if (p.next() >= std::min(p.count(), kCallerGroups)) {
        writing_ = false;
        engine.result().entries = static_cast<int>(answered_.count());
        engine.finish(kTextCompleted);
        return;
      }
      CallerGroup& group = groups_.at(p.next());
      if (whole_) {
        group = whole_->at(p.next());
        engine.frames().send_request(kMsgPhoneBook, group_write_payload(group, p.next()), 1);
        return;
      }
      const std::vector<std::uint8_t>& name = names_[static_cast<std::size_t>(p.next())];
      const std::size_t length = std::min(name.size(), kGroupNameBytes);
      group.name = {};
      std::copy_n(name.begin(), length, group.name.begin());
      group.name_length = static_cast<std::int32_t>(length);
      engine.frames().send_request(kMsgPhoneBook, group_write_payload(group, p.next()), 1);
      return;
    }
    default:
      return;
  }
}

// 00 01 00 14: the answer to the one group write outstanding (it names no
// group).
void GroupWriteFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (engine.step_as<Step>() != Step::WriteGroup || frame.type() != kMsgPhoneBook || frame.sub_type() != kSubWritten) {
    return;
  }
  GroupReadParams p(engine.params());
  const int written = logo_group_ ? *logo_group_ : p.next();
  if (written >= 0 && written < kCallerGroups) answered_.set(static_cast<std::size_t>(written));
  engine.progress_advance();
  p.set_next(p.next() + 1);
  engine.frames().acknowledge(kMsgPhoneBook);
}

void GroupWriteFamily::link_reset() {
  if (!writing_) return;
  writing_ = false;
  interrupted_ = true;
}

}  // namespace phondeck
