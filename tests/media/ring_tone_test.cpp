// Ringing tone: melody text, note codes, tempo and the Smart Messaging message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/ring_tone.h"

namespace phondeck {
namespace {

const std::vector<std::string> kSampleLines = {"p", "geE fdD cdefggG", "geE fdD ceggE pp",
                                               "dddddeF eeeeefG", "geE fdD ceggC"};
const char kSampleCodes[] =
    "106186156154166136134116136156166186186184186156154166136134116156186186154106106136136136"
    "136136156164156156156156156166184186156154166136134116156186186114";

// Reads the bits of a message back, most significant first.
struct BitReader {
  const std::vector<std::uint8_t>& bytes;
  std::size_t pos = 0;
  unsigned get(int bits) {
    unsigned value = 0;
    for (int i = 0; i < bits; ++i, ++pos)
      value = (value << 1) | ((bytes.at(pos / 8) >> (7 - pos % 8)) & 1u);
    return value;
  }
};

TEST(EricssonText, SampleGivesFiftyTwoNotesAndKnownCodes) {
  std::string problem = "stale";
  const auto notes = parseEricssonText(kSampleLines, &problem);
  EXPECT_EQ(notes.size(), 52u);
  EXPECT_EQ(toNoteCodes(notes), kSampleCodes);
  EXPECT_EQ(problem, "");
  // The same melody as one text with line breaks (and Windows line ends).
  EXPECT_EQ(parseEricssonText(std::string("p\r\ngeE fdD cdefggG\r\ngeE fdD ceggE pp\r\n"
                                          "dddddeF eeeeefG\ngeE fdD ceggC")),
            notes);
}

TEST(EricssonText, LettersCaseRestsAndBlanks) {
  const auto notes = parseEricssonText(std::string("c D\te\n\nF g A b P"));
  const std::vector<Note> expected = {{11, 6}, {13, 4}, {15, 6}, {16, 4}, {18, 6},
                                      {20, 4}, {22, 6}, {10, 4}};
  EXPECT_EQ(notes, expected);
  EXPECT_TRUE(parseEricssonText(std::string("  \n \n")).empty());
  EXPECT_TRUE(parseEricssonText(std::vector<std::string>{}).empty());
}

TEST(EricssonText, SharpsAndOctaveMarks) {
  std::string problem;
  const auto notes = parseEricssonText(std::string("#c +c ++C #+a +#b #e"), &problem);
  EXPECT_EQ(problem, "");
  // b sharp one octave up is the c two octaves up; e sharp is f.
  const std::vector<Note> expected = {{12, 6}, {23, 6}, {35, 4}, {33, 6}, {35, 6}, {16, 6}};
  EXPECT_EQ(notes, expected);
}

TEST(EricssonText, BadCharactersAreSkippedAndReported) {
  std::string problem;
  auto notes = parseEricssonText(std::string("c x d"), &problem);
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_NE(problem.find("column 3"), std::string::npos) << problem;
  EXPECT_NE(problem.find("'x'"), std::string::npos) << problem;

  notes = parseEricssonText(std::string("c\n#p"), &problem);
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_NE(problem.find("line 2"), std::string::npos) << problem;

  // A mark at the end of a line, a third octave mark and b sharp in the top octave.
  for (const char* text : {"c #", "+++c", "++#b", "# c"}) {
    parseEricssonText(std::string(text), &problem);
    EXPECT_FALSE(problem.empty()) << text;
  }
}

TEST(NoteCodes, RoundTripAndEmpty) {
  EXPECT_EQ(toNoteCodes({}), "");
  const auto empty = fromNoteCodes("");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());

  const auto notes = fromNoteCodes(kSampleCodes);
  ASSERT_TRUE(notes.has_value());
  EXPECT_EQ(*notes, parseEricssonText(kSampleLines));
  EXPECT_EQ(fromNoteCodes("104"), (std::vector<Note>{{10, 4}}));  // quarter rest
  EXPECT_EQ(fromNoteCodes("460119"), (std::vector<Note>{{46, 0}, {11, 9}}));
  // Thirty-second notes, plain and dotted, past what one digit holds.
  EXPECT_EQ(toNoteCodes({{11, kThirtySecondNote}, {10, 11}}), "11A10B");
  EXPECT_EQ(fromNoteCodes("11A10B"), (std::vector<Note>{{11, 10}, {10, 11}}));
}

TEST(NoteCodes, MalformedStringsAreRejectedWithAReason) {
  for (const char* bad : {"1", "10", "1061", "10618", "10a", " 106", "106 ", "096", "470", "-16", "11C", "1A1"}) {
    std::string error;
    EXPECT_FALSE(fromNoteCodes(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  // A piece of a longer buffer: only the view's own characters count.
  const std::string buffer = "1061";
  EXPECT_EQ(fromNoteCodes(std::string_view(buffer).substr(0, 3)), (std::vector<Note>{{10, 6}}));
}

TEST(Tempo, SliderTableAndNearestSmartMessagingCode) {
  EXPECT_EQ(tempoOf(0), 20);
  EXPECT_EQ(tempoOf(7), 120);
  EXPECT_EQ(tempoOf(12), 350);
  EXPECT_EQ(tempoOf(-1), 0);
  EXPECT_EQ(tempoOf(13), 0);
  EXPECT_EQ(smartTempoCode(120), 14);  // the default tone
  EXPECT_EQ(smartTempoBpm(14), 125);
  EXPECT_EQ(smartTempoCode(125), 14);
  EXPECT_EQ(smartTempoCode(20), 0);
  EXPECT_EQ(smartTempoCode(0), 0);
  EXPECT_EQ(smartTempoCode(5000), 31);
  EXPECT_EQ(smartTempoCode(350), 23);  // 355
  EXPECT_EQ(smartTempoCode(60), 8);    // 63 beats 56
  EXPECT_EQ(smartTempoCode(106), 12);  // halfway between 100 and 112: the slower
}

TEST(SmartMessage, SampleToneLayout) {
  RingTone tone;
  tone.notes = parseEricssonText(kSampleLines);
  const auto message = toSmartMessage(tone);
  ASSERT_EQ(message.size(), 103u);  // default name "Phondeck"
  const std::vector<std::uint8_t> start = {0x06, 0x05, 0x04, 0x15, 0x81, 0x15, 0x81, 0x02, 0x4A, 0x3A};
  EXPECT_EQ(std::vector<std::uint8_t>(message.begin(), message.begin() + 10), start);

  tone.name = "Ten chars!";
  EXPECT_EQ(toSmartMessage(tone).size(), 105u);
}

TEST(SmartMessage, FieldsReadBack) {
  RingTone tone;
  tone.name = "Tune";
  tone.tempoIndex = 0;
  tone.notes = {{11, 6}, {10, 4}, {22, 4}, {17, 7}, {13, kThirtySecondNote}, {10, 11}};
  const auto data = encodeRingingTone(tone, smartTempoCode(tempoOf(tone.tempoIndex)));
  BitReader in{data};
  EXPECT_EQ(in.get(8), 2u);
  EXPECT_EQ(in.get(8), 0x4Au);
  EXPECT_EQ(in.get(7), 0x1Du);
  EXPECT_EQ(in.get(3), 1u);
  ASSERT_EQ(in.get(4), 4u);
  for (char c : std::string("Tune")) EXPECT_EQ(in.get(8), static_cast<unsigned char>(c));
  EXPECT_EQ(in.get(8), 1u);    // patterns
  EXPECT_EQ(in.get(9), 0u);    // header, part A, no loop
  EXPECT_EQ(in.get(8), 9u);    // 3 + 6 notes
  EXPECT_EQ(in.get(5), 0x0Du); // style 011 01
  EXPECT_EQ(in.get(3), 4u);
  EXPECT_EQ(in.get(5), 0u);    // 20 bpm -> code 0
  EXPECT_EQ(in.get(5), 0x09u); // scale 010 01
  // Value, duration (5 a thirty-second), specifier (1 dotted).
  const unsigned expected[][3] = {{1, 3, 0}, {0, 2, 0}, {12, 2, 0}, {7, 3, 1}, {3, 5, 0}, {0, 5, 1}};
  for (const auto& note : expected) {
    EXPECT_EQ(in.get(3), 1u);
    EXPECT_EQ(in.get(4), note[0]);
    EXPECT_EQ(in.get(3), note[1]);
    EXPECT_EQ(in.get(2), note[2]);
  }
  EXPECT_EQ(data.size(), (in.pos + 7) / 8);
  while (in.pos % 8) EXPECT_EQ(in.get(1), 0u);
}

// Bytes worked out by hand: a thirty-second c and a dotted thirty-second rest
// without a title at 120 bpm; duration 101 in both note instructions.
TEST(SmartMessage, ThirtySecondNotesAsBytes) {
  RingTone tone;
  tone.name.clear();
  tone.notes = {{11, kThirtySecondNote}, {kRestPitch, kThirtySecondNote + 1}};
  const std::vector<std::uint8_t> expected = {0x02, 0x4A, 0x3A, 0x40, 0x04, 0x00, 0x0A,
                                              0xD8, 0xE4, 0x91, 0xA1, 0x0A, 0x80};
  EXPECT_EQ(encodeRingingTone(tone, 14), expected);
}

TEST(SmartMessage, AbcTitleWithoutNotes) {
  RingTone tone;
  tone.name = "abc";
  const auto message = toSmartMessage(tone);
  ASSERT_EQ(message.size(), 20u);  // 97 bits -> 13 bytes, plus the port header
  BitReader in{message};
  in.pos = 7 * 8 + 8 + 8 + 7 + 3 + 4 + 24 + 8 + 9;
  EXPECT_EQ(in.get(8), 3u);
  in.get(5);
  in.get(3);
  EXPECT_EQ(in.get(5), 14u);  // 120 bpm
}

TEST(SmartMessage, OctaveChangesAddScaleInstructions) {
  RingTone tone;
  tone.name = "";
  tone.notes = {{11, 4}, {23, 4}, {10, 4}, {24, 4}, {12, 4}};
  const auto data = encodeRingingTone(tone, 14);
  BitReader in{data};
  in.pos = 8 + 8 + 7 + 3 + 4 + 8 + 9;
  EXPECT_EQ(in.get(8), 3u + 5u + 2u);  // two changes of octave
  in.pos += 5 + 8 + 5;
  EXPECT_EQ(in.get(12), 0x1u << 9 | 1u << 5 | 2u << 2);  // c, scale 1
  EXPECT_EQ(in.get(5), 0x0Au);                           // scale 2
  EXPECT_EQ(in.get(12), 0x1u << 9 | 1u << 5 | 2u << 2);  // c
  EXPECT_EQ(in.get(12), 0x1u << 9 | 0u << 5 | 2u << 2);  // rest keeps scale 2
  EXPECT_EQ(in.get(12), 0x1u << 9 | 2u << 5 | 2u << 2);  // c sharp
  EXPECT_EQ(in.get(5), 0x09u);                           // back to scale 1
  EXPECT_EQ(in.get(12), 0x1u << 9 | 2u << 5 | 2u << 2);
}

TEST(SmartMessage, TitleIsCutAndConverted) {
  EXPECT_EQ(smartTitle("Sixteen letters!"), "Sixteen letters");
  EXPECT_EQ(smartTitle("Caf\xC3\xA9"), "Caf\xE9");          // UTF-8 e acute
  EXPECT_EQ(smartTitle("\xE2\x82\xAC" "5"), "?5");          // euro sign
  EXPECT_EQ(smartTitle("Caf\xE9"), "Caf\xE9");              // already ISO 8859-1
  EXPECT_EQ(smartTitle("\xC3"), "\xC3");                    // cut sequence
  RingTone tone;
  tone.name = std::string(40, 'x');
  EXPECT_EQ(toSmartMessage(tone).size(), 7u + (73u + 8u * 15u + 7u) / 8u);
}

TEST(SmartMessage, TooManyNotesGiveNothing) {
  RingTone tone;
  tone.notes.assign(252, Note{11, 6});
  EXPECT_FALSE(toSmartMessage(tone).empty());
  tone.notes.push_back(Note{11, 6});
  EXPECT_TRUE(toSmartMessage(tone).empty());
  // Octave changes count as instructions too.
  tone.notes.assign(251, Note{11, 6});
  tone.notes.push_back(Note{23, 6});
  EXPECT_TRUE(toSmartMessage(tone).empty());
}

}  // namespace
}  // namespace phondeck
