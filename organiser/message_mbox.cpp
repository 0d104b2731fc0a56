// The mbox of write_messages_mbox (message_export.h).
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string_view>

#include "app/code_page.h"
#include "organiser/message_export.h"

namespace phondeck {
namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kDomain = "phone.invalid";
constexpr const char* kUser = "me";
constexpr std::size_t kLineLimit = 998;  // octets a line of a mail may hold

// The mail address of a number: its characters that a local part may
// hold as they are ("+", letters, digits, "-"), any other as "_".
std::string address_of(const std::string& number) {
  std::string local;
  for (const char ch : number) {
    const auto c = static_cast<unsigned char>(ch);
    const bool kept = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || ch == '+' || ch == '-';
    local += kept ? ch : '_';
  }
  return (local.empty() ? std::string("unknown") : local) + "@" + kDomain;
}

bool plain_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char ch) { return ch >= 0x20 && ch < 0x7F; }) &&
         text.find("=?") == std::string_view::npos;
}

// RFC 2047 "B" words of at most 45 bytes of UTF-8 each (whole characters),
// folded onto lines of their own.
std::string encoded_words(const std::string& text) {
  static constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = std::min(text.size(), at + 45);
    while (end < text.size() && end > at + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    std::string word;
    for (std::size_t k = at; k < end; k += 3) {
      const std::size_t n = std::min<std::size_t>(3, end - k);
      std::uint32_t v = 0;
      for (std::size_t j = 0; j < 3; ++j) v = v << 8 | (j < n ? static_cast<unsigned char>(text[k + j]) : 0u);
      for (std::size_t j = 0; j < 4; ++j) word += j <= n ? kBase64[(v >> (18 - 6 * j)) & 0x3F] : '=';
    }
    if (!out.empty()) out += "\n ";
    out += "=?UTF-8?B?" + word + "?=";
    at = end;
  }
  return out;
}

std::string header_text(const std::string& text) { return plain_ascii(text) ? text : encoded_words(text); }

// A mailbox: "Name" <address>, the name encoded (and so folded) when it is
// not plain ASCII or is long.
std::string mailbox(const std::string& name, const std::string& address) {
  if (name.empty()) return "<" + address + ">";
  if (!plain_ascii(name) || name.size() > 60) return encoded_words(name) + " <" + address + ">";
  std::string quoted;
  for (const char ch : name) {
    if (ch == '"' || ch == '\\') quoted += '\\';
    quoted += ch;
  }
  return "\"" + quoted + "\" <" + address + ">";
}

std::string two(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// "Tue, 08 Dec 2026 09:30:00 +0200"
std::string mail_date(const StampTime& t) {
  const int offset = t.offset_minutes < 0 ? -t.offset_minutes : t.offset_minutes;
  return std::string(kDays[static_cast<std::size_t>(day_of_week(t))]) + ", " + two(t.day) + " " +
         kMonths[static_cast<std::size_t>(t.month - 1)] + " " + std::to_string(t.year) + " " + two(t.hour) + ":" +
         two(t.minute) + ":" + two(t.second) + " " + (t.offset_minutes < 0 ? "-" : "+") + two(offset / 60) +
         two(offset % 60);
}

// The "From " line's time, in UTC: "Tue Dec  8 07:30:00 2026".
std::string envelope_date(std::int64_t utc_ms) {
  const StampTime t = stamp_time_of(utc_ms);
  char day[4];
  std::snprintf(day, sizeof day, "%2d", t.day);
  return std::string(kDays[static_cast<std::size_t>(day_of_week(t))]) + " " +
         kMonths[static_cast<std::size_t>(t.month - 1)] + " " + day + " " + two(t.hour) + ":" + two(t.minute) + ":" +
         two(t.second) + " " + std::to_string(t.year);
}

// The first words of the first line, at most 40 characters.
std::string subject_of(const std::string& text) {
  std::u32string line;
  for (const char32_t c : utf8_to_code_points(text.substr(0, text.find('\n')))) line.push_back(c < 0x20 ? U' ' : c);
  if (line.size() > 40) {
    const std::size_t space = line.rfind(U' ', 40);
    line = line.substr(0, space != std::u32string::npos && space > 0 ? space : 40) + U"...";
  }
  return code_points_to_utf8(line);
}

std::uint64_t fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char ch : text) {
    hash ^= static_cast<unsigned char>(ch);
    hash *= 1099511628211ull;
  }
  return hash;
}

// Does the text need quoted-printable to travel as it is?
bool needs_quoting(const std::string& text) {
  std::size_t line = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char ch = text[k];
    if (ch == '\0' || (ch == '\r' && (k + 1 == text.size() || text[k + 1] != '\n'))) return true;
    line = ch == '\n' ? 0 : line + 1;
    if (line > kLineLimit) return true;
  }
  return false;
}

// Quoted-printable (RFC 2045) of the text, "\n" its line break; a line that
// would start "From " starts "=46rom ".
std::string quoted_printable(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t column = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (c == '\n') {
      out += "\n";
      column = 0;
      continue;
    }
    const bool last_of_line = k + 1 == text.size() || text[k + 1] == '\n';
    const bool plain = (c >= 0x21 && c <= 0x7E && c != '=') || ((c == ' ' || c == '\t') && !last_of_line);
    std::string piece = plain ? std::string(1, static_cast<char>(c)) : std::string{'=', kHex[c >> 4], kHex[c & 0x0F]};
    if (column + piece.size() > 75) {
      out += "=\n";  // a soft line break
      column = 0;
    }
    if (column == 0 && text.compare(k, 5, "From ") == 0) piece = "=46";
    out += piece;
    column += piece.size();
  }
  return out;
}

// The text as an 8bit body: every line that starts "From " written ">From ".
std::string eight_bit(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (text.compare(at, 5, "From ") == 0) out += '>';
    out.append(text, at, end - at);
    if (end < text.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

}  // namespace

std::string write_messages_mbox(const MessageStore& store, const NameOfNumber& name_of, std::int64_t now_ms) {
  const std::vector<ExportedMessage> messages = exported_messages(store, now_ms);
  // Each message's own id; a second message alike gets "-2", and so on.
  std::vector<std::string> ids;
  std::map<std::string, int> seen;
  for (const ExportedMessage& m : messages) {
    const SmsRecord& r = store.at(m.index);
    const std::string key = std::string(record_in_folder(r, SmsFolder::Inbox) ? "in" : "out") + "\n" + r.Phone + "\n" +
                            r.Stamp + "\n" + m.text;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(key)));
    const int n = ++seen[hash];
    ids.push_back("<sms." + std::string(hash) + (n > 1 ? "-" + std::to_string(n) : "") + "@" + kDomain + ">");
  }
  // Each number's thread in time order: the first mail its root, every
  // other one a reply to the one before.
  std::map<std::string, std::vector<std::size_t>> threads;
  for (std::size_t i = 0; i < messages.size(); ++i) threads[store.at(messages[i].index).Phone].push_back(i);
  std::vector<std::string> references(messages.size());
  for (auto& [number, thread] : threads) {
    std::stable_sort(thread.begin(), thread.end(), [&](std::size_t a, std::size_t b) {
      return messages[a].time.utc_ms < messages[b].time.utc_ms;
    });
    for (std::size_t k = 1; k < thread.size(); ++k) {
      const std::string& root = ids[thread.front()];
      const std::string& previous = ids[thread[k - 1]];
      references[thread[k]] = "In-Reply-To: " + previous + "\nReferences: " + root +
                              (k > 1 ? "\n " + previous : std::string()) + "\n";
    }
  }
  const std::string me = mailbox(kUser, std::string(kUser) + "@" + kDomain);
  std::string out;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const ExportedMessage& m = messages[i];
    const SmsRecord& r = store.at(m.index);
    const bool inbox = record_in_folder(r, SmsFolder::Inbox);
    const std::string name = name_of && !r.Phone.empty() ? name_of(r.Phone) : std::string();
    const std::string them = mailbox(name.empty() ? r.Phone : name, address_of(r.Phone));
    out += "From " + (inbox ? address_of(r.Phone) : std::string(kUser) + "@" + kDomain) + " " +
           envelope_date(m.time.utc_ms) + "\n";
    out += "From: " + (inbox ? them : me) + "\n";
    out += "To: " + (inbox ? me : them) + "\n";
    out += "Date: " + mail_date(m.time) + "\n";
    out += "Subject: " + header_text(subject_of(m.text)) + "\n";
    out += "Message-ID: " + ids[i] + "\n";
    out += references[i];
    out += std::string("Status: ") + (r.Type == "3" ? "O" : "RO") + "\n";
    out += "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\n";
    const bool quoted = needs_quoting(m.text);
    out += std::string("Content-Transfer-Encoding: ") + (quoted ? "quoted-printable" : "8bit") + "\n\n";
    std::string body = quoted ? quoted_printable(m.text) : eight_bit(m.text);
    if (body.empty() || body.back() != '\n') body += '\n';
    out += body + "\n";
  }
  return out;
}

}  // namespace phondeck
