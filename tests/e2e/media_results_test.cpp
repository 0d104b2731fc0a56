// What each media operation tells its starter, against the virtual handset:
// done with its counts, refused before it ran (and why), failed where the
// handset did not take it, and cut off by the line (the step and what was
// kept), AutoReconnect off.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "e2e_rig.h"
#include "media/graphics_messages.h"
#include "media/ring_tone_window.h"

namespace phondeck::e2e {
namespace {

using GStep = GraphicsFamily::Step;
using SStep = StartupGraphicFamily::Step;
using WStep = GroupWriteFamily::Step;

struct Case {
  const char* what;
  const char* model = "6110";
  bool connected = true;
  // Run first and left running: the link is busy.
  std::function<void(Rig&)> before = {};
  std::function<void(Rig&, StartOptions)> start = {};
  // The handset restarts (hears nothing for two minutes) once this holds.
  std::function<bool(Rig&)> cut_when = {};
  Ending ending = Ending::Done;
  Refusal refusal = Refusal::None;
  int step = 0;  // Failed and LinkLost
  int entries = 0;
  std::size_t bytes = 0;
  const char* message = "";
};

MonoBitmap pattern(int width, int height) {
  MonoBitmap p(width, height);
  for (int y = 0; y < height; y += 2) {
    for (int x = y % 3; x < width; x += 5) p.set(x, y);
  }
  return p;
}

StartOptions confirmed(StartOptions options, bool yes = true) {
  options.confirmed = yes;
  return options;
}

TEST(MediaResults, EachOperationTellsHowItEnded) {
  fresh_settings();
  config().AutoReconnect = 0;
  const MonoBitmap logo = pattern(kLogoWidth, kLogoHeight);
  const MonoBitmap startup = pattern(kStartupWidth, kStartupHeight);
  RingTone tone;
  tone.notes = parseEricssonText(ericsson_sample_lines());
  auto graphics = [](Rig& rig) -> GraphicsFamily& { return rig.session.media().graphics(); };
  auto startup_family = [](Rig& rig) -> StartupGraphicFamily& { return rig.session.media().startup_graphic(); };
  auto group_write = [](Rig& rig) -> GroupWriteFamily& { return rig.session.media().group_write(); };
  auto read_groups = [&](Rig& rig, StartOptions o) {
    start_group_read(rig.engine(), graphics(rig), GroupReadPurpose::Graphics, std::move(o));
  };
  auto write_startup = [&](Rig& rig, StartOptions o) {
    start_startup_write(rig.engine(), startup_family(rig), startup, std::move(o));
  };
  auto write_into_3 = [&](Rig& rig, StartOptions o) {
    start_group_logo_write(rig.engine(), group_write(rig), 3, logo, confirmed(std::move(o)));
  };
  std::array<std::vector<std::uint8_t>, kCallerGroups> names;
  for (std::size_t k = 0; k < names.size(); ++k) names[k] = {'G', static_cast<std::uint8_t>('1' + k)};

  const Case cases[] = {
      {.what = "group read", .start = read_groups, .entries = kCallerGroups},
      {.what = "group graphic write",
       .start = [&](Rig& r, StartOptions o) { start_group_graphic_write(r.engine(), graphics(r), logo, std::move(o)); },
       .bytes = group_graphic_message(logo).size()},
      {.what = "network code read",
       .start = [&](Rig& r, StartOptions o) { start_network_code_read(r.engine(), graphics(r), std::move(o)); }},
      {.what = "system logo read",
       .start = [&](Rig& r, StartOptions o) { start_system_logo_read(r.engine(), graphics(r), std::move(o)); },
       .bytes = kLogoBytes},
      {.what = "system logo write",
       .start = [&](Rig& r, StartOptions o) {
         start_system_logo_write(r.engine(), graphics(r), logo, 244, 5, confirmed(std::move(o)));
       },
       .bytes = operator_logo_data(logo, 244, 5).size()},
      {.what = "startup read",
       .start = [&](Rig& r, StartOptions o) { start_startup_read(r.engine(), startup_family(r), std::move(o)); },
       .bytes = kStartupBytes},
      {.what = "startup write",
       .start = [&](Rig& r, StartOptions o) { write_startup(r, confirmed(std::move(o))); },
       .bytes = startup_graphic_data(startup).size()},
      {.what = "phone reset",
       .start = [&](Rig& r, StartOptions o) {
         start_phone_reset(r.engine(), startup_family(r), confirmed(std::move(o)));
       }},
      {.what = "ring tone write",
       .start = [&](Rig& r, StartOptions o) {
         start_ring_tone_write(r.engine(), r.session.media().ring_tone(), tone, std::move(o));
       },
       .bytes = toSmartMessage(tone).size()},
      {.what = "group names write",
       .start = [&](Rig& r, StartOptions o) {
         start_group_write(r.engine(), group_write(r), names, confirmed(std::move(o)));
       },
       .entries = kCallerGroups},
      {.what = "write into group", .start = write_into_3, .entries = 1},

      {.what = "not connected", .connected = false, .start = read_groups, .ending = Ending::Refused,
       .refusal = Refusal::NotConnected, .message = "Please establish connection first"},
      {.what = "busy", .before = [&](Rig& r) { read_groups(r, {}); }, .start = write_startup,
       .ending = Ending::Refused, .refusal = Refusal::Busy, .message = "Busy... Please wait"},
      {.what = "no such function", .model = "5110", .start = read_groups, .ending = Ending::Refused,
       .refusal = Refusal::NoSuchFunction, .message = "No such function in this phone"},
      {.what = "a tone without notes",
       .start = [&](Rig& r, StartOptions o) {
         start_ring_tone_write(r.engine(), r.session.media().ring_tone(), RingTone{}, std::move(o));
       },
       .ending = Ending::Refused, .refusal = Refusal::BadInput},
      {.what = "no such group",
       .start = [&](Rig& r, StartOptions o) {
         start_group_logo_write(r.engine(), group_write(r), 5, logo, confirmed(std::move(o)));
       },
       .ending = Ending::Refused, .refusal = Refusal::BadInput},
      {.what = "user said no",
       .start = [&](Rig& r, StartOptions o) { write_startup(r, confirmed(std::move(o), false)); },
       .ending = Ending::Refused, .refusal = Refusal::UserSaidNo},

      {.what = "group logo not taken",
       .before = [](Rig& r) { r.handset.state().groups[3].logo_fixed = true; }, .start = write_into_3,
       .ending = Ending::Failed, .step = static_cast<int>(WStep::CheckGroup),
       .message = "The group read back differs from the logo written"},

      {.what = "group read cut", .start = read_groups,
       .cut_when = [](Rig& r) { return r.engine().result().entries == 2; }, .ending = Ending::LinkLost,
       .step = static_cast<int>(GStep::RequestGroup), .entries = 2},
      {.what = "startup read cut",
       .start = [&](Rig& r, StartOptions o) { start_startup_read(r.engine(), startup_family(r), std::move(o)); },
       .cut_when = [](Rig& r) { return r.engine().step_as<SStep>() == SStep::CollectPicture; },
       .ending = Ending::LinkLost, .step = static_cast<int>(SStep::CollectPicture)},
      {.what = "write into group cut", .start = write_into_3,
       // The write was answered and the group is being read back.
       .cut_when = [&](Rig& r) {
         return r.handset.state().groups[3].logo == packRows(logo) &&
                r.engine().step_as<GStep>() == GStep::RequestGroup;
       },
       .ending = Ending::LinkLost, .step = static_cast<int>(WStep::CheckGroup), .entries = 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(demo_state(c.model));
    if (c.connected) {
      ASSERT_TRUE(rig.connect());
    }
    if (c.before) c.before(rig);
    const std::size_t writes = rig.line->writes.size();
    std::optional<OperationResult> told;
    StartOptions options;
    options.done = [&told](const OperationResult& r) {
      EXPECT_FALSE(told.has_value()) << "told twice";
      told = r;
    };
    c.start(rig, std::move(options));
    if (c.cut_when) {
      ASSERT_TRUE(rig.loop.run_until([&] { return c.cut_when(rig); }, 60000));
      rig.handset.restart(120000);
    }
    rig.run_until_settled(600000);
    ASSERT_TRUE(told.has_value());
    EXPECT_EQ(told->ending, c.ending) << describe(*told);
    EXPECT_EQ(told->refusal, c.refusal);
    EXPECT_EQ(told->message, c.message);
    if (c.ending == Ending::Failed || c.ending == Ending::LinkLost) {
      EXPECT_EQ(told->step, c.step);
    }
    EXPECT_EQ(told->entries, c.entries);
    EXPECT_EQ(told->bytes, c.bytes);
    if (c.ending == Ending::Refused) {
      if (!c.before) {
        EXPECT_EQ(rig.line->writes.size(), writes) << "a refused start sent nothing";
      }
    } else {
      EXPECT_EQ(told->family, LinkState::Media);
    }
    if (*c.message != '\0') {
      ASSERT_FALSE(rig.prompt.messages.empty());
      EXPECT_EQ(rig.prompt.messages.back(), c.message);
    }
  }
}

}  // namespace
}  // namespace phondeck::e2e
