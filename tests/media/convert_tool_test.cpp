// phondeck-convert on temporary files.
#include <gtest/gtest.h>

#include <sstream>

#include "app/text_table.h"
#include "media/convert_tool.h"
#include "media/picture_files.h"
#include "media/ring_tone.h"
#include "media/windows_bitmap.h"
#include "temp_dir.h"

namespace phondeck {
namespace {

using mediatest::TempDir;

const char kSample[] = "p\ngeE fdD cdefggG\ngeE fdD ceggE pp\ndddddeF eeeeefG\ngeE fdD ceggC\n";

class ConvertTool : public ::testing::Test {
 protected:
  void SetUp() override { texts().load_english(); }

  int run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return runConvert(args, out, err);
  }

  TempDir dir;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(ConvertTool, HelpDocumentsBothCommands) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out.str().find("phondeck-convert tone"), std::string::npos);
  EXPECT_NE(out.str().find("phondeck-convert picture"), std::string::npos);
  EXPECT_NE(out.str().find("--slot"), std::string::npos);
}

TEST_F(ConvertTool, UsageErrors) {
  const std::string in = dir.write("t.txt", std::string(kSample));
  const std::vector<std::vector<std::string>> bad = {
      {}, {"melody", in, "-o", dir.file("x")}, {"tone", in}, {"tone", in, "-o"},
      {"tone", in, "--bogus", "1", "-o", dir.file("x")}, {"tone", in, "--format", "mid", "-o", dir.file("x")}};
  for (const auto& args : bad) {
    EXPECT_EQ(run(args), 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(err.str().find("Usage"), std::string::npos);
  }
}

TEST_F(ConvertTool, ToneInAllThreeFormats) {
  const std::string in = dir.write("sample.txt", std::string(kSample));
  ASSERT_EQ(run({"tone", in, "-o", dir.file("t.ott")}), 0) << err.str();
  ASSERT_EQ(run({"tone", in, "--format", "sms", "-o", dir.file("t.sms")}), 0) << err.str();
  ASSERT_EQ(run({"tone", in, "--format", "codes", "-o", dir.file("t.codes")}), 0) << err.str();

  RingTone tone;
  tone.notes = parseEricssonText(std::string(kSample));
  const auto message = toSmartMessage(tone);
  EXPECT_EQ(dir.read("t.sms"), message);
  EXPECT_EQ(dir.read("t.ott"), std::vector<std::uint8_t>(message.begin() + 7, message.end()));
  const auto codes = dir.read("t.codes");
  EXPECT_EQ(std::string(codes.begin(), codes.end()), toNoteCodes(tone.notes));
}

TEST_F(ConvertTool, ToneNameAndTempo) {
  const std::string in = dir.write("sample.txt", std::string(kSample));
  ASSERT_EQ(run({"tone", in, "--name", "abc", "--tempo", "250", "-o", dir.file("t.ott")}), 0);
  EXPECT_EQ(err.str(), "");
  RingTone tone;
  tone.name = "abc";
  tone.notes = parseEricssonText(std::string(kSample));
  EXPECT_EQ(dir.read("t.ott"), encodeRingingTone(tone, 20));
  // Fifteen characters fit; a longer name is cut there, with a warning.
  ASSERT_EQ(run({"tone", in, "--name", "\u00c5ngstr\u00f6m 123456", "-o", dir.file("t.ott")}), 0);
  EXPECT_EQ(err.str(), "");
  ASSERT_EQ(run({"tone", in, "--name", "\u00c5ngstr\u00f6m sixteen!", "-o", dir.file("t.ott")}), 0);
  EXPECT_NE(err.str().find("cut to 15 characters: \u00c5ngstr\u00f6m sixtee"), std::string::npos) << err.str();
  tone.name = "\u00c5ngstr\u00f6m sixtee";
  EXPECT_EQ(dir.read("t.ott"), encodeRingingTone(tone, smartTempoCode(tempoOf(RingTone::kDefaultTempoIndex))));

  for (const char* tempo : {"0", "fast", "12x", "1001"}) {
    EXPECT_EQ(run({"tone", in, "--tempo", tempo, "-o", dir.file("bad.ott")}), 1) << tempo;
    EXPECT_FALSE(err.str().empty());
  }
  EXPECT_NE(err.str().find("between"), std::string::npos);
  run({"tone", in, "--tempo", "fast", "-o", dir.file("bad.ott")});
  EXPECT_NE(err.str().find("'fast' is not a valid integer value"), std::string::npos) << err.str();
  EXPECT_TRUE(dir.read("bad.ott").empty());
}

TEST_F(ConvertTool, BadMelodiesFailWithoutWriting) {
  EXPECT_EQ(run({"tone", dir.write("x.txt", std::string("c d\nxyz")), "-o", dir.file("o.ott")}), 1);
  EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();
  EXPECT_EQ(run({"tone", dir.write("e.txt", std::string(" \n")), "-o", dir.file("o.ott")}), 1);
  EXPECT_NE(err.str().find("no notes"), std::string::npos);
  EXPECT_EQ(run({"tone", dir.write("r.rtttl", std::string("r:d=64:c")), "-o", dir.file("o.ott")}), 1);
  EXPECT_NE(err.str().find("r.rtttl: line 1, column 5: default length"), std::string::npos) << err.str();
  EXPECT_EQ(run({"tone", dir.write("m.mid", std::string("MThd")), "-o", dir.file("o.ott")}), 1);
  EXPECT_NE(err.str().find("not a MIDI file"), std::string::npos) << err.str();
  EXPECT_EQ(run({"tone", dir.file("missing.txt"), "-o", dir.file("o.ott")}), 1);
  EXPECT_NE(err.str().find("missing.txt: cannot be opened"), std::string::npos) << err.str();
  EXPECT_TRUE(dir.read("o.ott").empty());
}

// Each input keeps thirty-second notes (codes A and B); a tune longer than a
// tone holds is cut, with a warning, and still written.
TEST_F(ConvertTool, ToneFromEveryInput) {
  RingTone ott_tone;
  ott_tone.notes = {{11, kThirtySecondNote}, {10, kThirtySecondNote + 1}};
  const std::vector<std::uint8_t> ott = encodeRingingTone(ott_tone, 14);
  // Format 0, 96 ticks a quarter: c for 12 ticks, a thirty-second.
  const std::vector<std::uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                          'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0x90, 72, 100,
                                          12,  0x80, 72, 0, 0x00, 0xFF, 0x2F, 0x00};
  std::string long_rtttl = "long:d=16,o=5,b=120:c";
  for (int i = 1; i < 260; ++i) long_rtttl += ",32d";
  struct Case {
    const char* file;
    std::string bytes;
    const char* from;  // nullptr: by the file's ending
    std::string codes;
    const char* warning;  // nullptr: none
  };
  const Case cases[] = {
      {"t.rtttl", "t:d=32,o=5,b=120:c,8.d,16p", nullptr, "11A137108", nullptr},
      {"t.txt", "t:d=32,o=5,b=120:c", "rtttl", "11A", nullptr},
      {"t.ott", std::string(ott.begin(), ott.end()), nullptr, "11A10B", nullptr},
      {"t.mid", std::string(midi.begin(), midi.end()), nullptr, "11A", nullptr},
      {"c.txt", std::string(300, 'c'), nullptr, [] {
         std::string codes;
         for (int i = 0; i < 252; ++i) codes += "116";
         return codes;
       }(),
       "the tone ends after note 252, and the 48 notes after it were left out"},
      {"long.rtx", long_rtttl, nullptr, "118" + [] {
         std::string codes;
         for (int i = 1; i < 252; ++i) codes += "13A";
         return codes;
       }(),
       "the 8 notes after it were left out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string in = dir.write(c.file, c.bytes);
    std::vector<std::string> args = {"tone", in, "--format", "codes", "-o", dir.file("out.codes")};
    if (c.from) args.insert(args.end(), {"--from", c.from});
    ASSERT_EQ(run(args), 0) << err.str();
    const auto codes = dir.read("out.codes");
    EXPECT_EQ(std::string(codes.begin(), codes.end()), c.codes);
    if (c.warning) {
      EXPECT_NE(err.str().find(c.warning), std::string::npos) << err.str();
    } else {
      EXPECT_EQ(err.str(), "");
    }
  }
  // The file's own name and tempo go into the message unless given.
  ASSERT_EQ(run({"tone", dir.write("n.rtttl", std::string("Named:d=4,o=5,b=200:c")), "-o", dir.file("n.ott")}), 0);
  RingTone named;
  named.name = "Named";
  named.notes = {{11, kQuarterNote}};
  EXPECT_EQ(dir.read("n.ott"), encodeRingingTone(named, smartTempoCode(200)));
}

TEST_F(ConvertTool, PictureBetweenEveryForm) {
  MonoBitmap logo(72, 14);
  logo.set(0, 0);
  logo.set(71, 13);
  logo.set(30, 7);
  ASSERT_TRUE(writeBitmapFile(dir.file("a.bmp"), logo));
  ASSERT_EQ(run({"picture", dir.file("a.bmp"), "-o", dir.file("b.ngg")}), 0) << err.str();
  ASSERT_EQ(run({"picture", dir.file("b.ngg"), "-o", dir.file("c.nol"), "--mcc", "466", "--mnc", "92"}), 0);
  ASSERT_EQ(run({"picture", dir.file("c.nol"), "-o", dir.file("d.14"), "--slot", "18"}), 0);
  ASSERT_EQ(run({"picture", dir.file("d.14"), "--slot", "18", "-o", dir.file("e.NOL")}), 0);
  ASSERT_EQ(run({"picture", dir.file("e.NOL"), "-o", dir.file("f.bmp")}), 0);
  EXPECT_EQ(readPictureFile(dir.file("f.bmp")).picture, logo);

  const auto nol = readPixelTextFile(dir.file("c.nol"));
  EXPECT_EQ(nol.mcc, 466);
  EXPECT_EQ(nol.mnc, 92);
  // A NOL written from a NOL keeps its network code.
  EXPECT_EQ(readPixelTextFile(dir.file("e.NOL")).mcc, 0);  // came through the buffer file
  ASSERT_EQ(run({"picture", dir.file("c.nol"), "-o", dir.file("g.nol")}), 0);
  EXPECT_EQ(readPixelTextFile(dir.file("g.nol")).mnc, 92);

  const auto buffer = readBufferFile(dir.file("d.14"));
  ASSERT_TRUE(buffer.ok());
  EXPECT_EQ(buffer.slots[17], logo);
  EXPECT_FALSE(buffer.slots[0].any());
}

// Bitmaps of other sizes land as the graphics window's Open puts them: a
// smaller one at the top left, a larger one on its 80 by 20 grid, whose
// picture starts at column 4, row 3 (counted from 0).
TEST_F(ConvertTool, OtherBitmapSizesArePlacedAsTheWindowOpensThem) {
  struct Case {
    int width, height;
    int x, y;          // the set pixel in the bitmap
    int at_x, at_y;    // where it lands in the 72 by 14 picture; -1: outside
  };
  for (const Case& c : std::vector<Case>{{100, 30, 4, 3, 0, 0},
                                         {100, 30, 75, 16, 71, 13},
                                         {100, 30, 3, 3, -1, -1},
                                         {40, 10, 0, 0, 0, 0},
                                         {40, 10, 39, 9, 39, 9}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    MonoBitmap in(c.width, c.height);
    in.set(c.x, c.y);
    ASSERT_TRUE(writeBitmapFile(dir.file("in.bmp"), in));
    ASSERT_EQ(run({"picture", dir.file("in.bmp"), "-o", dir.file("out.ngg")}), 0) << err.str();
    EXPECT_NE(err.str().find("holds 72 by 14"), std::string::npos) << err.str();
    const PictureLoad out = readPixelTextFile(dir.file("out.ngg"));
    ASSERT_TRUE(out.ok());
    MonoBitmap expect(72, 14);
    if (c.at_x >= 0) expect.set(c.at_x, c.at_y);
    EXPECT_EQ(out.picture, expect);
  }
}

TEST_F(ConvertTool, WritingIntoAnExistingBufferFileKeepsTheOtherSlots) {
  std::vector<MonoBitmap> slots(18, MonoBitmap(72, 14));
  for (int k = 0; k < 18; ++k) slots[static_cast<std::size_t>(k)].set(k, 0);
  ASSERT_TRUE(writeBufferFile(dir.file("keep.14"), slots));
  MonoBitmap logo(72, 14);
  logo.set(70, 10);
  ASSERT_TRUE(writeNggFile(dir.file("in.ngg"), logo));
  ASSERT_EQ(run({"picture", dir.file("in.ngg"), "-o", dir.file("keep.14"), "--slot", "3"}), 0);
  const auto buffer = readBufferFile(dir.file("keep.14"));
  EXPECT_EQ(buffer.slots[2], logo);
  EXPECT_TRUE(buffer.slots[1].get(1, 0));
  EXPECT_TRUE(buffer.slots[17].get(17, 0));
}

TEST_F(ConvertTool, BadPicturesFailClearly) {
  MonoBitmap startup(84, 48);
  ASSERT_TRUE(writeBitmapFile(dir.file("big.bmp"), startup));
  EXPECT_EQ(run({"picture", dir.file("big.bmp"), "-o", dir.file("x.bmp")}), 0);  // any size

  EXPECT_EQ(run({"picture", dir.write("bad.bmp", std::string("BM nonsense")), "-o", dir.file("x.ngg")}), 1);
  EXPECT_NE(err.str().find("bad.bmp: cannot be read"), std::string::npos) << err.str();
  EXPECT_EQ(run({"picture", dir.file("gone.bmp"), "-o", dir.file("x.ngg")}), 1);
  EXPECT_NE(err.str().find("gone.bmp: cannot be opened"), std::string::npos) << err.str();
  EXPECT_EQ(run({"picture", dir.write("bad.ngg", std::string("XYZ")), "-o", dir.file("x.bmp")}), 1);
  EXPECT_NE(err.str().find("not an NGG file"), std::string::npos);
  EXPECT_EQ(run({"picture", dir.file("big.bmp"), "-o", dir.file("x.png")}), 1);
  EXPECT_EQ(run({"picture", dir.file("big.gif"), "-o", dir.file("x.bmp")}), 1);
  ASSERT_TRUE(writeNggFile(dir.file("logo.ngg"), MonoBitmap(72, 14)));
  EXPECT_EQ(run({"picture", dir.file("logo.ngg"), "--slot", "19", "-o", dir.file("x.14")}), 1);
  EXPECT_EQ(run({"picture", dir.file("logo.ngg"), "--slot", "0", "-o", dir.file("x.14")}), 1);
  EXPECT_NE(err.str().find("--slot"), std::string::npos);
  EXPECT_TRUE(dir.read("x.ngg").empty());
  EXPECT_TRUE(dir.read("x.14").empty());
  EXPECT_EQ(run({"picture", dir.file("big.bmp"), "-o", dir.file("no/such/dir/x.bmp")}), 1);
  EXPECT_NE(err.str().find("cannot be written"), std::string::npos);
}

}  // namespace
}  // namespace phondeck
