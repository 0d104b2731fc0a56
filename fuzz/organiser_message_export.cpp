// Both message exports of records made of any bytes (numbers, texts, stamps,
// statuses and parts as a handset could give them): the XML holds `count`
// <sms/> elements, each on a line of its own, with no byte XML cannot hold,
// no markup inside a value and valid UTF-8; the mbox starts a mail with every
// "From " line, one per message, and no header line outgrows 998 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/code_page.h"
#include "app/text_table.h"
#include "organiser/message_export.h"

namespace {

bool valid_utf8(const std::string& text) {
  using namespace phondeck;
  return code_points_to_utf8(utf8_to_code_points(text)) == text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) out.push_back(text.substr(at, end - at));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  static const bool loaded = (texts().load_english(), true);
  (void)loaded;
  // Fields split at 0xFF: status and part byte, number, text, stamp; again.
  std::vector<std::string> fields;
  std::string field;
  for (std::size_t k = 0; k < size; ++k) {
    if (data[k] == 0xFF) {
      fields.push_back(field);
      field.clear();
    } else {
      field += static_cast<char>(data[k]);
    }
  }
  fields.push_back(field);
  MessageStore store;
  static constexpr const char* kTypes[] = {"1", "3", "5", "7"};
  for (std::size_t k = 0; k + 3 < fields.size(); k += 4) {
    const unsigned char code = fields[k].empty() ? 0 : static_cast<unsigned char>(fields[k][0]);
    SmsRecord r;
    r.Type = kTypes[code & 3];
    r.Pos = std::to_string(k / 4 + 1);
    r.Phone = fields[k + 1].substr(0, 40);  // a number holds at most 20 semi-octets
    r.Text = fields[k + 2];
    r.Stamp = fields[k + 3];
    if ((code & 0x04) != 0) {
      r.ConcatRef = code >> 6;
      r.ConcatTotal = 3;
      r.ConcatPart = 1 + ((code >> 3) & 3) % 3;
    }
    store.append(std::move(r));
  }
  const NameOfNumber name_of = [](const std::string& number) { return number.size() > 2 ? number.substr(1) : ""; };
  const int count = exported_message_count(store);

  const std::string xml = write_sms_backup_xml(store, name_of, 1796800000000);
  if (!valid_utf8(xml)) std::abort();
  const std::vector<std::string> lines = lines_of(xml);
  if (lines.size() != static_cast<std::size_t>(count) + 3) std::abort();
  if (lines[1] != "<smses count=\"" + std::to_string(count) + "\">" || lines.back() != "</smses>") std::abort();
  for (std::size_t k = 2; k + 1 < lines.size(); ++k) {
    const std::string& line = lines[k];
    if (line.rfind("  <sms protocol=\"0\" address=\"", 0) != 0 || !line.ends_with("\" />")) std::abort();
    const std::string_view inner = std::string_view(line).substr(6, line.size() - 9);
    for (const char ch : inner) {
      if (ch == '<' || ch == '>' || static_cast<unsigned char>(ch) < 0x20) std::abort();
    }
    if (inner.find("\xEF\xBF\xBE") != std::string_view::npos || inner.find("\xEF\xBF\xBF") != std::string_view::npos) {
      std::abort();  // U+FFFE, U+FFFF
    }
  }

  const std::string mbox = write_messages_mbox(store, name_of, 1796800000000);
  int mails = 0;
  bool in_header = false;
  for (const std::string& line : lines_of(mbox)) {
    if (line.rfind("From ", 0) == 0) {
      if (in_header) std::abort();  // a "From " line among the headers
      ++mails;
      in_header = true;
    } else if (in_header && line.empty()) {
      in_header = false;
    } else if (in_header && line.size() > 998) {
      std::abort();
    }
  }
  if (mails != count || (count > 0 && mbox.rfind("From ", 0) != 0)) std::abort();
  return 0;
}
