// The splitters that make one CardDAV or CalDAV resource of each card or
// event: what they cut, what they name each piece, and that the bytes of a
// card or component stay as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/dav_upload.h"

namespace phondeck {
namespace {

struct CardCase {
  const char* what;
  std::string vcf;
  std::vector<std::string> names;   // "card-*" stands for any hash name
  std::vector<std::string> bodies;  // empty: not compared
};

bool name_matches(const std::string& got, const std::string& want) {
  if (want == "card-*" || want == "event-*") {
    const std::string stem = want.substr(0, want.size() - 1);
    const std::string suffix = want[0] == 'c' ? ".vcf" : ".ics";
    return got.rfind(stem, 0) == 0 && got.size() == stem.size() + 16 + 4 &&
           got.compare(got.size() - 4, 4, suffix) == 0;
  }
  return got == want;
}

TEST(DavItems, CardsAreCutWholeAndNamedByUid) {
  const std::string a = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:a-1\r\nFN:Anna\r\nEND:VCARD\r\n";
  const std::string folded_uid = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:fold\r\n ed-2\r\nFN:B\r\nEND:VCARD\r\n";
  const std::string lf = "begin:vcard\nversion:3.0\nitem1.uid:lf-3\nfn:C\nend:vcard\n";
  const std::string no_uid = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No UID\r\nEND:VCARD\r\n";
  const std::string nested =
      "BEGIN:VCARD\r\nVERSION:2.1\r\nAGENT:\r\nBEGIN:VCARD\r\nUID:inner\r\nEND:VCARD\r\nUID:outer\r\nEND:VCARD\r\n";
  const std::string qp = "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:x=\r\nEND:VCARD\r\n"
                         "UID:qp\r\nEND:VCARD\r\n";
  const std::string slash_uid = "BEGIN:VCARD\r\nUID:../x/y\r\nEND:VCARD";
  const std::vector<CardCase> cases = {
      {"two cards", a + folded_uid, {"a-1.vcf", "folded-2.vcf"}, {a, folded_uid}},
      {"LF only, lower case, grouped UID", lf + a, {"lf-3.vcf", "a-1.vcf"}, {lf, a}},
      {"a byte-order mark first", "\xEF\xBB\xBF" + a, {"a-1.vcf"}, {a}},
      {"no UID: a hash of the card, and a UID line", no_uid, {"card-*"}, {no_uid}},
      {"a card inside AGENT stays in its card", nested, {"outer.vcf"}, {nested}},
      {"quoted-printable soft break hides an END", qp, {"qp.vcf"}, {qp}},
      {"a UID with a slash is no file name; no line end at the end", slash_uid, {"card-*"}, {slash_uid}},
      {"text around and an unfinished card", "junk\r\n" + a + "BEGIN:VCARD\r\nUID:cut\r\n", {"a-1.vcf"}, {a}},
      {"nothing", "", {}, {}},
  };
  for (const CardCase& c : cases) {
    const std::vector<DavItem> items = vcard_items(c.vcf);
    ASSERT_EQ(items.size(), c.names.size()) << c.what;
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_TRUE(name_matches(items[i].name, c.names[i])) << c.what << ": " << items[i].name;
      std::string body = c.bodies[i];
      if (c.names[i] == "card-*" && body.find("UID:") == std::string::npos) {
        body.insert(body.find('\n') + 1, "UID:" + items[i].name.substr(0, items[i].name.size() - 4) + "\r\n");
      }
      EXPECT_EQ(items[i].body, body) << c.what;
    }
  }
  // The hash name is stable and differs between cards.
  EXPECT_EQ(vcard_items(no_uid)[0].name, vcard_items(no_uid)[0].name);
  EXPECT_NE(vcard_items(no_uid)[0].name, vcard_items(slash_uid)[0].name);
}

TEST(DavItems, EachEventBecomesACalendarWithTheZonesItNames) {
  const std::string zone_a =
      "BEGIN:VTIMEZONE\r\nTZID:Europe/Helsinki\r\nBEGIN:STANDARD\r\nDTSTART:19701025T040000\r\n"
      "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0200\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
  const std::string zone_b =
      "BEGIN:VTIMEZONE\r\nTZID:Asia/Taipei\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
      "TZOFFSETFROM:+0800\r\nTZOFFSETTO:+0800\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
  const std::string meeting =
      "BEGIN:VEVENT\r\nUID:m1\r\nDTSTART;TZID=Europe/Helsinki:20261208T103000\r\nSUMMARY:Project\r\n"
      " meeting\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\nEND:VEVENT\r\n";
  const std::string birthday =
      "BEGIN:VEVENT\r\nUID:b1\r\nDTSTART;VALUE=DATE:19801224\r\nRRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n";
  const std::string exception =
      "BEGIN:VEVENT\r\nUID:b1\r\nRECURRENCE-ID;VALUE=DATE:20261224\r\nDTSTART;TZID=\"Asia/Taipei\":"
      "20261224T090000\r\nEND:VEVENT\r\n";
  const std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//y//EN\r\nMETHOD:PUBLISH\r\n" + zone_a +
                          zone_b + meeting + birthday + exception + "BEGIN:VTODO\r\nSUMMARY:no uid\r\nEND:VTODO\r\n" +
                          "END:VCALENDAR\r\n";
  const std::vector<DavItem> items = icalendar_items(ics);
  ASSERT_EQ(items.size(), 3u);
  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//y//EN\r\n";  // no METHOD
  EXPECT_EQ(items[0].name, "m1.ics");
  EXPECT_EQ(items[0].body, head + zone_a + meeting + "END:VCALENDAR\r\n");
  EXPECT_EQ(items[1].name, "b1.ics");  // the exception joins its event, with its zone
  EXPECT_EQ(items[1].body, head + zone_b + birthday + exception + "END:VCALENDAR\r\n");
  EXPECT_TRUE(name_matches(items[2].name, "event-*")) << items[2].name;

  // LF only, no VERSION or PRODID, an event ending the file without its
  // calendar's END: the added lines follow the file's line ends.
  const std::vector<DavItem> bare = icalendar_items("BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:x\nEND:VEVENT");
  ASSERT_EQ(bare.size(), 1u);
  EXPECT_EQ(bare[0].body,
            "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Telvane//Phondeck//EN\nBEGIN:VEVENT\nUID:x\nEND:VEVENT\n"
            "END:VCALENDAR\n");
  EXPECT_TRUE(icalendar_items("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n").empty());
  // An event holding a stray END would end the calendar it is sent in.
  EXPECT_TRUE(icalendar_items("BEGIN:VEVENT\r\nUID:s\r\nEND:VCALENDAR\r\nEND:VEVENT\r\n").empty());
}

}  // namespace
}  // namespace phondeck
