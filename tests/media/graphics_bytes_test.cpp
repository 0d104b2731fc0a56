// The bytes of the graphics exchanges at their edges: the group graphic
// message, the network code, the operator logo data and its two-part short
// message, the startup data, group records with names too long for the
// field, and the startup reply frames taken in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/code_page.h"
#include "media/caller_group_table.h"
#include "media/graphics_messages.h"
#include "media/startup_graphic_family.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

MonoBitmap picture_with(int width, int height, std::vector<std::pair<int, int>> pixels) {
  MonoBitmap p(width, height);
  for (auto [x, y] : pixels) p.set(x, y);
  return p;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  if (from >= bytes.size()) return {};
  return Bytes(bytes.begin() + static_cast<long>(from),
               bytes.begin() + static_cast<long>(std::min(bytes.size(), from + count)));
}

std::size_t nonzero_after(const Bytes& bytes, std::size_t from) {
  std::size_t n = 0;
  for (std::size_t i = from; i < bytes.size(); ++i) n += bytes[i] != 0;
  return n;
}

TEST(GraphicsBytes, MessagesAtTheirEdges) {
  const MonoBitmap clear_logo(kLogoWidth, kLogoHeight);
  auto code = [](int mcc, int mnc) {
    const auto bytes = network_code_bytes(mcc, mnc);
    return Bytes(bytes.begin(), bytes.end());
  };
  struct Case {
    std::string what;
    Bytes bytes;
    std::size_t size;
    std::size_t at;
    Bytes expected;
    std::size_t nonzero_from;  // bytes from here are all zero (npos: not checked)
  };
  const std::size_t none = std::string::npos;
  const Case cases[] = {
      {"all-clear group graphic", group_graphic_message(clear_logo), kGroupGraphicBytes, 0,
       {0x06, 0x05, 0x04, 0x15, 0x83, 0x00, 0x00, 0x00, 0x48, 0x0E, 0x01}, 11},
      {"group graphic pixel (0,0)", group_graphic_message(picture_with(72, 14, {{0, 0}})), 137, 11, {0x80}, 12},
      {"a larger picture is cut to 72 x 14", group_graphic_message(picture_with(100, 30, {{80, 20}})), 137, 11, {},
       11},
      {"MCC 466 MNC 92", code(466, 92), 3, 0, {0x64, 0xF6, 0x29}, none},
      {"only the last digits count", code(1244, 305), 3, 0, {0x42, 0xF4, 0x50}, none},
      {"operator logo data", operator_logo_data(clear_logo, 466, 92), kOperatorLogoBytes, 0,
       {0x00, 0x30, 0x00, 0x64, 0xF6, 0x29, 0x00, 0x82, 0x00, 0x48, 0x0E, 0x01}, 12},
      {"all-clear startup data", startup_graphic_data(MonoBitmap(kStartupWidth, kStartupHeight)), kStartupDataBytes,
       0, {0x00, 0x18, 0x01, 0x01, 0x30, 0x54}, 6},
      {"startup pixel (0,0)", startup_graphic_data(picture_with(84, 48, {{0, 0}})), 510, 6, {0x01}, 7},
      {"startup pixel (83,47)", startup_graphic_data(picture_with(84, 48, {{83, 47}})), 510, 509, {0x80}, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.bytes.size(), c.size);
    EXPECT_EQ(slice(c.bytes, c.at, c.expected.size()), c.expected);
    if (c.nonzero_from != none) {
      EXPECT_EQ(nonzero_after(c.bytes, c.nonzero_from), 0u);
    }
  }
}

// The operator logo by short message: two parts, each with the port and
// concatenation elements, together the Smart Messaging logo.
TEST(GraphicsBytes, OperatorLogoGoesAsTwoConcatenatedParts) {
  const MonoBitmap logo = picture_with(72, 14, {{0, 0}, {71, 13}});
  const std::vector<Bytes> parts = operator_logo_sms_parts(logo, 466, 92, 0x2A);
  ASSERT_EQ(parts.size(), 2u);
  Bytes joined;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    SCOPED_TRACE(k);
    ASSERT_LE(parts[k].size(), 140u);
    EXPECT_EQ(slice(parts[k], 0, 12),
              (Bytes{0x0B, 0x05, 0x04, 0x15, 0x82, 0x00, 0x00, 0x00, 0x03, 0x2A, 0x02, static_cast<std::uint8_t>(k + 1)}));
    joined.insert(joined.end(), parts[k].begin() + 12, parts[k].end());
  }
  Bytes expected{0x30, 0x64, 0xF6, 0x29, 0x0A, 0x00, 0x48, 0x0E, 0x01};
  const Bytes packed = packRows(logo);
  expected.insert(expected.end(), packed.begin(), packed.end());
  EXPECT_EQ(joined, expected);
}

// Group records: the name field keeps at most 14 bytes, cut on a character;
// lengths that run past the record read only what is there.
TEST(GraphicsBytes, GroupRecordsNeverOverrunTheNameField) {
  auto record = [](Bytes name, std::uint8_t declared, bool with_logo) {
    Bytes r{declared};
    r.insert(r.end(), name.begin(), name.end());
    if (with_logo) {
      r.insert(r.end(), {0x10, 0x01, 0x00, 0x82, 0x00, 0x48, 0x0E, 0x01});
      Bytes logo(kLogoBytes, 0x00);
      logo.front() = 0x80;
      logo.back() = 0x01;
      r.insert(r.end(), logo.begin(), logo.end());
    }
    return r;
  };
  Bytes ucs2{0x04, 0xFF};
  for (int i = 0; i < 9; ++i) ucs2.insert(ucs2.end(), {0x67, static_cast<std::uint8_t>(0x0B + i)});
  const Bytes big5{'A', 0xA4, 0x40, 0xA4, 0x40, 0xA4, 0x40, 0xA4, 0x40, 0xA4, 0x40, 0xA4, 0x40, 0xA4, 0x40};
  struct Case {
    std::string what;
    CodePage page;
    Bytes record;
    std::size_t kept;
    bool logo;  // the logo is read whole
  };
  const Case cases[] = {
      {"short name", CodePage::Windows1252, record({'V', 'I', 'P'}, 3, true), 3, true},
      {"20 single bytes", CodePage::Windows1252, record(Bytes(20, 'x'), 20, true), 14, true},
      {"UCS-2, 9 characters", CodePage::Windows1252, record(ucs2, 20, true), 14, true},
      {"Big5 pair across byte 14", CodePage::Big5, record(big5, 15, true), 13, true},
      {"length past the record", CodePage::Windows1252, record({'a', 'b', 'c'}, 200, false), 3, false},
      {"record of the length byte only", CodePage::Windows1252, Bytes{9}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    set_active_code_page(c.page);
    CallerGroup group;
    group.name.fill(0xEE);
    ASSERT_TRUE(parse_group_record(c.record, group));
    EXPECT_EQ(group.name_length, static_cast<std::int32_t>(c.kept));
    EXPECT_EQ(group.name[c.kept], 0x00);
    EXPECT_TRUE(std::equal(group.name.begin(), group.name.begin() + static_cast<long>(c.kept), c.record.begin() + 1));
    EXPECT_EQ(group.picture().get(0, 0), c.logo);
    EXPECT_EQ(group.picture().get(71, 13), c.logo);
  }
  set_active_code_page(CodePage::Windows1252);
  CallerGroup untouched;
  EXPECT_FALSE(parse_group_record({}, untouched));
  CallerGroup friends;
  ASSERT_TRUE(parse_group_record(record({0x04, 0xFF, 0x67, 0x0B, 0x53, 0xCB}, 6, true), friends));
  EXPECT_EQ(friends.display_name(), "\u670B\u53CB");
}

// The startup reply: 00 01 00 17 01 01 30 54 and the 504 picture bytes,
// split at whatever frame size the handset has; frames are taken by their
// frames-remaining byte, anything out of turn is left alone.
TEST(GraphicsBytes, StartupReplyFramesAreTakenInTurn) {
  using Take = MultiFrameReply::Take;
  Bytes message{0x00, 0x01, 0x00, 0x17, 0x01, 0x01, 0x30, 0x54};
  for (std::size_t i = 0; i < kStartupBytes; ++i) message.push_back(static_cast<std::uint8_t>(i * 7 + 1));
  // Whole frames (header, data, trailer) of the message split at per_frame.
  auto split = [&message](std::size_t per_frame) {
    std::vector<Bytes> frames;
    const std::size_t count = (message.size() + per_frame - 1) / per_frame;
    for (std::size_t k = 0; k < count; ++k) {
      const auto from = message.begin() + static_cast<long>(k * per_frame);
      Bytes d(from, from + static_cast<long>(std::min(per_frame, message.size() - k * per_frame)));
      d.push_back(static_cast<std::uint8_t>(count - k));
      d.push_back(static_cast<std::uint8_t>(k == 0 ? 0x42 : 0x02 + k));
      Bytes f{0x1E, 0x0C, 0x00, 0x05, 0x00, static_cast<std::uint8_t>(d.size())};
      f.insert(f.end(), d.begin(), d.end());
      frames.push_back(std::move(f));
    }
    return frames;
  };
  for (const std::size_t per_frame : {std::size_t{120}, std::size_t{64}, std::size_t{250}}) {
    SCOPED_TRACE(per_frame);
    const std::vector<Bytes> frames = split(per_frame);
    MultiFrameReply reply;
    auto take = [&reply](const Bytes& f) {
      const LinkFrame frame(f.data(), f.size());
      return reply.take(frame, startup_reply_first(frame), kStartupReplyHeader);
    };
    Bytes not_read = frames[0];
    not_read[6 + 3] = 0x18;
    EXPECT_EQ(take(not_read), Take::Ignored);
    EXPECT_EQ(take(frames[1]), Take::Ignored);  // no first frame yet
    EXPECT_EQ(take(frames[0]), Take::Taken);
    if (frames.size() > 2) {
      EXPECT_EQ(take(frames[2]), Take::Ignored);  // one skipped
      EXPECT_EQ(take(frames[0]), Take::Taken);    // the request sent again
    }
    for (std::size_t k = 1; k < frames.size(); ++k) {
      EXPECT_EQ(take(frames[k]), k + 1 == frames.size() ? Take::Complete : Take::Taken);
      if (k + 1 < frames.size()) {
        EXPECT_EQ(take(frames[k]), Take::Ignored);  // repeated
      }
    }
    const Bytes picture = reply.take_bytes();
    ASSERT_EQ(picture.size(), kStartupBytes);
    EXPECT_TRUE(std::equal(message.begin() + 8, message.end(), picture.begin()));
    EXPECT_EQ(packBands(startup_picture(picture)), Bytes(message.begin() + 8, message.end()));
  }
  // A reply cut short leaves the rest of the picture clear.
  EXPECT_EQ(packBands(startup_picture(Bytes(10, 0xFF))), [] {
    Bytes b(kStartupBytes, 0x00);
    std::fill_n(b.begin(), 10, 0xFF);
    return b;
  }());
}

}  // namespace
}  // namespace phondeck
