// Messages leaving the program with their time: the stamp's zone at its
// edges, and both export files over one store of every kind of message.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "app/text_table.h"
#include "organiser/message_export.h"
#include "organiser/sms_codec.h"
#include "organiser/sms_time.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SmsTime, StampZonesCenturiesAndBadBytes) {
  struct Case {
    Bytes stamp;
    std::string iso;      // "" gives no time
    std::int64_t utc_ms;  // when it does
  };
  const Case cases[] = {
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x80}, "2026-12-08T09:30:00+02:00", 1796715000000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x00}, "2026-12-08T09:30:00+00:00", 1796722200000},
      // The sign bit: five hours west; twelve west; thirteen and fourteen east.
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x0A}, "2026-12-08T09:30:00-05:00", 1796740200000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x8C}, "2026-12-08T09:30:00-12:00", 1796765400000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x25}, "2026-12-08T09:30:00+13:00", 1796675400000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x65}, "2026-12-08T09:30:00+14:00", 1796671800000},
      // Quarter hours: 22 and 23 of them; minus zero is UTC.
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x22}, "2026-12-08T09:30:00+05:30", 1796702400000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x32}, "2026-12-08T09:30:00+05:45", 1796701500000},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x08}, "2026-12-08T09:30:00+00:00", 1796722200000},
      // A zone that takes the day back over the year's end; the century.
      {{0x70, 0x10, 0x10, 0x10, 0x00, 0x00, 0x4C}, "2007-01-01T01:00:00-11:00", 1167652800000},
      {{0x99, 0x21, 0x13, 0x32, 0x95, 0x95, 0x00}, "1999-12-31T23:59:59+00:00", 946684799000},
      {{0x97, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00}, "2079-01-01T00:00:00+00:00", 3439756800000},
      {{0x08, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00}, "1980-01-01T00:00:00+00:00", 315532800000},
      {{0x42, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, "2024-02-29T00:00:00+00:00", 1709164800000},
      // No time: a nibble above 9 (in the date or the zone), 29 February of
      // a common year, hour 24, fewer than 7 bytes.
      {{0x62, 0x21, 0x8A, 0x90, 0x03, 0x00, 0x80}, "", 0},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0xA0}, "", 0},
      {{0x52, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, "", 0},
      {{0x62, 0x21, 0x80, 0x42, 0x00, 0x00, 0x00}, "", 0},
      {{0x62, 0x21, 0x80, 0x90, 0x03, 0x00}, "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(time_stamp_iso(c.stamp), c.iso) << c.iso;
    const std::optional<std::int64_t> ms = time_stamp_utc_ms(c.stamp);
    EXPECT_EQ(ms.has_value(), !c.iso.empty()) << c.iso;
    if (c.iso.empty()) continue;
    EXPECT_EQ(*ms, c.utc_ms) << c.iso;
    // Back from the text exactly, and the same instant shown in its zone.
    const std::optional<StampTime> back = parse_stamp_iso(c.iso);
    ASSERT_TRUE(back) << c.iso;
    EXPECT_EQ(back->utc_ms, c.utc_ms) << c.iso;
    EXPECT_EQ(stamp_iso(*back), c.iso);
    EXPECT_EQ(stamp_iso(stamp_time_of(c.utc_ms, back->offset_minutes)), c.iso);
  }
  for (const char* bad : {"2026-12-08T09:30:00", "2026-12-08T09:30:00Z", "2026-13-08T09:30:00+02:00",
                          "2026-12-08T09:30:00+24:00", "2026-12-08 09:30:00+02:00", "2026-12-08T09:30:0a+02:00"}) {
    EXPECT_FALSE(parse_stamp_iso(bad)) << bad;
  }
}

SmsRecord message(std::string phone, std::string type, std::string pos, std::string text, std::string stamp,
                  int total = 0, int part = 0) {
  SmsRecord r;
  r.Phone = std::move(phone);
  r.Type = std::move(type);
  r.Pos = std::move(pos);
  r.Text = std::move(text);
  r.Stamp = std::move(stamp);
  r.SMSC = r.Type == "1" || r.Type == "3" ? "+358405202000" : "";
  if (total > 0) {
    r.ConcatRef = 0x2A;
    r.ConcatTotal = total;
    r.ConcatPart = part;
  }
  return r;
}

class MessageExport : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    const char* tz = ::getenv("TZ");
    saved_tz_ = tz != nullptr ? std::optional<std::string>(tz) : std::nullopt;
    ::setenv("TZ", "Europe/Helsinki", 1);
    ::tzset();
    // In store order: a long message whose parts came out of order, a
    // message with a part missing, an outbox between them.
    store_.append(message("+886912345678", "1", "3", "\u4f60\u597d \U0001F600 part three", "2026-12-08T15:30:00+08:00", 3, 3));
    store_.append(message("+358401234567", "3", "1", "Tickets <A&B> \"row 5\"\r\nFrom the gate\x01\tat 6", "2026-12-08T09:30:00+02:00"));
    store_.append(message("+886912345678", "1", "4", "Part one, ", "2026-12-08T15:30:00+08:00", 3, 1));
    store_.append(message("0401112223", "5", "8", "See you tomorrow at the station.", ""));
    store_.append(message("+15551234567", "1", "6", "Landed. ", "2026-12-07T23:15:00-05:00", 3, 1));
    store_.append(message("+886912345678", "1", "5", "part two, ", "2026-12-08T15:30:00+08:00", 3, 2));
    store_.append(message("", "7", "9", "Draft: buy milk", ""));
    store_.append(message("+15551234567", "1", "7", "Call you soon.", "2026-12-07T23:15:00-05:00", 3, 3));
    store_.append(message("+358401234567", "1", "2", "Call me when you land.", "2026-12-08T10:05:00+02:00"));
  }
  void TearDown() override {
    if (saved_tz_) {
      ::setenv("TZ", saved_tz_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  static std::string name_of(const std::string& number) {
    return number == "+358401234567" ? "Jyrki H\u00e4m\u00e4l\u00e4inen" : number == "0401112223" ? "Ann \"Annie\" Lee" : "";
  }
  // What follows each `key` up to the next `end`.
  static std::vector<std::string> values(const std::string& text, const std::string& key, char end) {
    std::vector<std::string> out;
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
      const std::size_t from = at + key.size();
      out.push_back(text.substr(from, text.find(end, from) - from));
    }
    return out;
  }
  // The whole lines (each ended by LF) that begin with `start`.
  static std::vector<std::string> lines(const std::string& text, const std::string& start = "") {
    std::vector<std::string> out;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string line = text.substr(at, end - at);
      if (line.starts_with(start)) out.push_back(line);
    }
    return out;
  }
  static constexpr std::int64_t kNow = 1796800000000;  // 2026-12-09T07:06:40Z
  MessageStore store_;
  std::optional<std::string> saved_tz_;
};

TEST_F(MessageExport, BackupXmlHoldsEachMessageAtItsInstant) {
  const std::string xml = write_sms_backup_xml(store_, name_of, kNow);
  EXPECT_EQ(exported_message_count(store_), 6);
  EXPECT_EQ(xml.rfind("<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"6\">\n", 0), 0u);
  EXPECT_EQ(values(xml, "address=\"", '"'),
            (std::vector<std::string>{"+886912345678", "+358401234567", "0401112223", "+15551234567", "", "+358401234567"}));
  EXPECT_EQ(values(xml, " date=\"", '"'),
            (std::vector<std::string>{"1796715000000", "1796715000000", std::to_string(kNow), "1796703300000",
                                      std::to_string(kNow), "1796717100000"}));
  EXPECT_EQ(values(xml, "date_sent=\"", '"'),
            (std::vector<std::string>{"1796715000000", "1796715000000", "0", "1796703300000", "0", "1796717100000"}));
  EXPECT_EQ(values(xml, "type=\"", '"'), (std::vector<std::string>{"1", "1", "2", "1", "3", "1"}));
  EXPECT_EQ(values(xml, "read=\"", '"'), (std::vector<std::string>{"1", "0", "1", "1", "1", "1"}));
  EXPECT_EQ(values(xml, "service_center=\"", '"')[2], "null");
  // Helsinki's time, whichever zone the stamp came from.
  EXPECT_EQ(values(xml, "readable_date=\"", '"'),
            (std::vector<std::string>{"Dec 8, 2026 9:30:00 AM", "Dec 8, 2026 9:30:00 AM", "Dec 9, 2026 9:06:40 AM",
                                      "Dec 8, 2026 6:15:00 AM", "Dec 9, 2026 9:06:40 AM", "Dec 8, 2026 10:05:00 AM"}));
  EXPECT_EQ(values(xml, "contact_name=\"", '"'),
            (std::vector<std::string>{"(Unknown)", "Jyrki H\u00e4m\u00e4l\u00e4inen", "Ann &quot;Annie&quot; Lee",
                                      "(Unknown)", "(Unknown)", "Jyrki H\u00e4m\u00e4l\u00e4inen"}));
  EXPECT_EQ(values(xml, "body=\"", '"'),
            (std::vector<std::string>{"Part one, part two, \u4f60\u597d \U0001F600 part three",
                                      "Tickets &lt;A&amp;B&gt; &quot;row 5&quot;&#10;From the gate\u2401&#9;at 6",
                                      "See you tomorrow at the station.", "Landed. [part 2 missing] Call you soon.",
                                      "Draft: buy milk", "Call me when you land."}));
}

TEST_F(MessageExport, MboxThreadsEachNumberWithItsZone) {
  const std::string mbox = write_messages_mbox(store_, name_of, kNow);
  EXPECT_EQ(lines(mbox, "From "),
            (std::vector<std::string>{
                "From +886912345678@phone.invalid Tue Dec  8 07:30:00 2026",
                "From +358401234567@phone.invalid Tue Dec  8 07:30:00 2026",
                "From me@phone.invalid Wed Dec  9 07:06:40 2026",
                "From +15551234567@phone.invalid Tue Dec  8 04:15:00 2026",
                "From me@phone.invalid Wed Dec  9 07:06:40 2026",
                "From +358401234567@phone.invalid Tue Dec  8 08:05:00 2026",
            }));
  EXPECT_EQ(values(mbox, "\nDate: ", '\n'),
            (std::vector<std::string>{"Tue, 08 Dec 2026 15:30:00 +0800", "Tue, 08 Dec 2026 09:30:00 +0200",
                                      "Wed, 09 Dec 2026 07:06:40 +0000", "Mon, 07 Dec 2026 23:15:00 -0500",
                                      "Wed, 09 Dec 2026 07:06:40 +0000", "Tue, 08 Dec 2026 10:05:00 +0200"}));
  EXPECT_EQ(lines(mbox, "From: "),
            (std::vector<std::string>{"From: \"+886912345678\" <+886912345678@phone.invalid>",
                                      "From: =?UTF-8?B?Snlya2kgSMOkbcOkbMOkaW5lbg==?= <+358401234567@phone.invalid>",
                                      "From: \"me\" <me@phone.invalid>", "From: \"+15551234567\" <+15551234567@phone.invalid>",
                                      "From: \"me\" <me@phone.invalid>",
                                      "From: =?UTF-8?B?Snlya2kgSMOkbcOkbMOkaW5lbg==?= <+358401234567@phone.invalid>"}));
  EXPECT_EQ(lines(mbox, "To: ")[2], "To: \"Ann \\\"Annie\\\" Lee\" <0401112223@phone.invalid>");
  EXPECT_EQ(lines(mbox, "To: ")[4], "To: <unknown@phone.invalid>");
  // The body line that starts "From " is quoted; the CR LF is one line break.
  EXPECT_NE(mbox.find("\n\nTickets <A&B> \"row 5\"\n>From the gate\x01\tat 6\n\nFrom "), std::string::npos);
  // The second mail of +358401234567 answers the first; no other number
  // has two.
  const std::vector<std::string> ids = values(mbox, "\nMessage-ID: ", '\n');
  ASSERT_EQ(ids.size(), 6u);
  EXPECT_EQ(values(mbox, "\nIn-Reply-To: ", '\n'), std::vector<std::string>{ids[1]});
  EXPECT_EQ(values(mbox, "\nReferences: ", '\n'), std::vector<std::string>{ids[1]});
  // The same messages give the same mails at another time, but for the
  // unstamped ones' dates.
  const std::string later = write_messages_mbox(store_, name_of, kNow + 1000);
  EXPECT_EQ(values(later, "\nMessage-ID: ", '\n'), ids);
}

// What 8bit cannot carry (a CR alone, a NUL, a line over 998 bytes) goes
// quoted-printable, and decodes to the text exactly.
TEST_F(MessageExport, MboxQuotesWhatEightBitCannotCarry) {
  auto decoded = [](const std::string& body) {
    std::string out;
    for (std::size_t k = 0; k < body.size(); ++k) {
      if (body[k] != '=') {
        out += body[k];
      } else if (body[k + 1] == '\n') {
        ++k;
      } else {
        out += static_cast<char>(std::stoi(body.substr(k + 1, 2), nullptr, 16));
        k += 2;
      }
    }
    return out;
  };
  std::string accents;
  for (int i = 0; i < 499; ++i) accents += "\u00e9";  // 998 bytes
  const struct {
    std::string text;
    bool quoted;
  } cases[] = {
      {"one\rtwo", true},
      {std::string("a\0b", 3), true},
      {"x" + accents, true},
      {accents + "\n" + accents, false},
      {"From here =\nFrom there \t\n", false},
      {"tail \t\nFrom the start\rend", true},
      {"end \rFrom here =", true},
  };
  for (const auto& c : cases) {
    MessageStore store;
    store.append(message("+358401234567", "1", "1", c.text, "2026-12-08T09:30:00+02:00"));
    const std::string mbox = write_messages_mbox(store, nullptr, kNow);
    EXPECT_NE(mbox.find(c.quoted ? "\nContent-Transfer-Encoding: quoted-printable\n"
                                 : "\nContent-Transfer-Encoding: 8bit\n"), std::string::npos) << c.text;
    const std::size_t start = mbox.find("\n\n") + 2;
    const std::string body = mbox.substr(start, mbox.size() - start - 1);  // less the line between mails
    const std::string text = c.text.ends_with('\n') ? c.text : c.text + "\n";
    if (!c.quoted) {
      std::string quoted;
      for (const std::string& line : lines(text)) quoted += (line.starts_with("From ") ? ">" : "") + line + "\n";
      EXPECT_EQ(body, quoted) << c.text;
      continue;
    }
    EXPECT_EQ(decoded(body), text) << body;
    for (const std::string& line : lines(body)) {
      EXPECT_LE(line.size(), 76u) << line;
      EXPECT_NE(line.rfind("From ", 0), 0u) << line;
      EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
    }
  }
}

}  // namespace
}  // namespace phondeck
