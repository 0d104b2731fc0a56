// The splitters of session/dav_upload.h: a vCard file into one item per
// card, an iCalendar file into one VCALENDAR per event. They read what any
// program writes: a byte-order mark, CR LF, LF or CR line ends, folded lines
// (a line starting with a space or tab continues the one before), vCard 2.1
// quoted-printable soft breaks, cards nested in AGENT, any letter case. The
// bytes of each card and component are kept as they are; one without UID
// gets one.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "session/dav_upload.h"

namespace phondeck {
namespace {

// One logical line: its bytes in the file, from its first physical line's
// start to the end of its last one's line end, and its unfolded text.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string text;
  std::string name;  // the property's name, upper case, without a group
};

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The end of the physical line starting at `at` (before its line end) and the
// start of the next.
std::pair<std::size_t, std::size_t> physical_line(std::string_view text, std::size_t at) {
  std::size_t i = at;
  while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
  if (i >= text.size()) return {i, i};
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return {i, i + 2};
  return {i, i + 1};
}

// The position of the ':' ending the name and parameters (a ':' inside a
// quoted parameter value does not), or npos.
std::size_t value_colon(std::string_view text) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (!quoted && text[i] == ':') return i;
  }
  return std::string_view::npos;
}

std::string property_name(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size() && text[end] != ';' && text[end] != ':') ++end;
  std::string_view name = text.substr(0, end);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(dot + 1);
  return upper(name);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string property_value(std::string_view text) {
  const std::size_t colon = value_colon(text);
  if (colon == std::string_view::npos) return {};
  return std::string(trimmed(text.substr(colon + 1)));
}

// The values of the parameter (upper-case name) on the line.
std::vector<std::string> parameter_values(std::string_view text, std::string_view wanted) {
  std::vector<std::string> values;
  const std::size_t colon = value_colon(text);
  std::string_view params = text.substr(0, colon == std::string_view::npos ? text.size() : colon);
  std::size_t at = params.find(';');
  while (at != std::string_view::npos) {
    std::size_t end = at + 1;
    bool quoted = false;
    while (end < params.size() && (quoted || params[end] != ';')) {
      if (params[end] == '"') quoted = !quoted;
      ++end;
    }
    const std::string_view param = params.substr(at + 1, end - at - 1);
    const std::size_t equals = param.find('=');
    if (equals != std::string_view::npos && upper(trimmed(param.substr(0, equals))) == wanted) {
      std::string_view value = trimmed(param.substr(equals + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      values.emplace_back(value);
    }
    at = end < params.size() ? end : std::string_view::npos;
  }
  return values;
}

bool quoted_printable(const std::string& text) {
  for (const std::string& v : parameter_values(text, "ENCODING")) {
    if (upper(v) == "QUOTED-PRINTABLE") return true;
  }
  return upper(text.substr(0, value_colon(text))).find(";QUOTED-PRINTABLE") != std::string::npos;
}

std::vector<Line> logical_lines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;  // a UTF-8 byte-order mark
  while (at < text.size()) {
    Line line;
    line.begin = at;
    auto [stop, next] = physical_line(text, at);
    line.text.assign(text.substr(at, stop - at));
    at = next;
    for (;;) {
      if (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        std::tie(stop, next) = physical_line(text, at);
        line.text.append(text.substr(at + 1, stop - at - 1));
      } else if (!line.text.empty() && line.text.back() == '=' && at < text.size() && quoted_printable(line.text)) {
        std::tie(stop, next) = physical_line(text, at);
        line.text.pop_back();
        line.text.append(text.substr(at, stop - at));
      } else {
        break;
      }
      at = next;
    }
    line.end = at;
    line.name = property_name(line.text);
    if (!line.text.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The UID as a file name, or a stable name made from the bytes when it is
// empty, too long, or holds a control character, a slash or a leading dot.
std::string resource_name(const std::string& uid, std::string_view bytes, const char* stem, const char* suffix) {
  bool usable = !uid.empty() && uid.size() <= 200 && uid.front() != '.';
  for (char c : uid) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || c == '/' || c == '\\') usable = false;
  }
  if (usable) return uid + suffix;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(bytes)));
  return std::string(stem) + "-" + hex + suffix;
}

// A component: its name, its lines [first, last] and its parent's name.
struct Block {
  std::string name;
  std::string parent;  // "" at the top
  bool top = false;
  std::size_t first = 0;
  std::size_t last = 0;
};

// Every complete component of the file, inner ones before the one holding
// them. An END that closes a component further out closes those inside it
// too; one that matches none is ignored.
std::vector<Block> blocks(const std::vector<Line>& lines) {
  std::vector<Block> done;
  std::vector<Block> open;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].name == "BEGIN") {
      Block b;
      b.name = upper(property_value(lines[i].text));
      if (b.name.empty()) continue;
      b.parent = open.empty() ? std::string() : open.back().name;
      b.top = open.empty();
      b.first = i;
      open.push_back(std::move(b));
    } else if (lines[i].name == "END") {
      const std::string name = upper(property_value(lines[i].text));
      std::size_t depth = open.size();
      while (depth > 0 && open[depth - 1].name != name) --depth;
      if (depth == 0) continue;
      open.resize(depth);
      open.back().last = i;
      done.push_back(std::move(open.back()));
      open.pop_back();
    }
  }
  return done;
}

// The first UID line directly inside the block (not in one nested in it).
std::string block_uid(const std::vector<Line>& lines, const Block& block) {
  int depth = 0;
  for (std::size_t i = block.first + 1; i < block.last; ++i) {
    if (lines[i].name == "BEGIN") ++depth;
    if (lines[i].name == "END") --depth;
    if (depth == 0 && lines[i].name == "UID") return property_value(lines[i].text);
  }
  return {};
}

// Whether every END inside the block closes a component opened inside it: a
// stray END (as an END:VCALENDAR inside an event) would end the calendar the
// event is sent in.
bool well_nested(const std::vector<Line>& lines, const Block& block) {
  std::vector<std::string> open;
  for (std::size_t i = block.first + 1; i < block.last; ++i) {
    if (lines[i].name != "BEGIN" && lines[i].name != "END") continue;
    const std::string name = upper(property_value(lines[i].text));
    if (lines[i].name == "BEGIN") {
      if (!name.empty()) open.push_back(name);
      continue;
    }
    std::size_t depth = open.size();
    while (depth > 0 && open[depth - 1] != name) --depth;
    if (depth == 0) return false;
    open.resize(depth - 1);
  }
  return true;
}

// Address books and calendars refuse a card or event without UID: it gets
// the line "UID:<its name without suffix>" after its BEGIN line (of
// `begin_length` bytes with their line end).
void with_uid(std::string& bytes, std::size_t begin_length, const std::string& name) {
  std::string ending = "\r\n";
  const std::string_view begin = std::string_view(bytes).substr(0, begin_length);
  if (!begin.empty() && begin.back() == '\n' && (begin.size() < 2 || begin[begin.size() - 2] != '\r')) ending = "\n";
  if (!begin.empty() && begin.back() == '\r') ending = "\r";
  if (begin.empty() || (begin.back() != '\n' && begin.back() != '\r')) {
    bytes.insert(begin_length, ending);
    begin_length += ending.size();
  }
  bytes.insert(begin_length, "UID:" + name.substr(0, name.rfind('.')) + ending);
}

}  // namespace

std::vector<DavItem> vcard_items(const std::string& vcf) {
  const std::vector<Line> lines = logical_lines(vcf);
  std::vector<DavItem> items;
  for (const Block& b : blocks(lines)) {
    if (b.name != "VCARD" || !b.top || !well_nested(lines, b)) continue;
    const std::string_view bytes =
        std::string_view(vcf).substr(lines[b.first].begin, lines[b.last].end - lines[b.first].begin);
    const std::string uid = block_uid(lines, b);
    DavItem item{resource_name(uid, bytes, "card", ".vcf"), std::string(bytes)};
    if (uid.empty()) with_uid(item.body, lines[b.first].end - lines[b.first].begin, item.name);
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<DavItem> icalendar_items(const std::string& ics) {
  const std::vector<Line> lines = logical_lines(ics);
  const std::string_view text(ics);
  const std::size_t first_end = physical_line(text, 0).first;
  const std::string eol =
      first_end < text.size() && text.substr(first_end, 2) != "\r\n" ? std::string(1, text[first_end]) : "\r\n";
  const auto bytes_of = [&](std::size_t first, std::size_t last) {
    std::string out(text.substr(lines[first].begin, lines[last].end - lines[first].begin));
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
    return out;
  };

  // The calendar's own properties, the time zones by TZID, the events by UID.
  std::string header;
  bool has_version = false;
  bool has_prodid = false;
  std::map<std::string, std::string> zones;
  struct Event {
    std::string uid;
    std::string bytes;
    std::vector<std::string> tzids;
  };
  std::vector<Event> events;
  const std::vector<Block> all = blocks(lines);
  for (const Block& b : all) {
    if (b.name == "VCALENDAR" && b.top && header.empty()) {
      int depth = 0;
      for (std::size_t i = b.first + 1; i < b.last; ++i) {
        if (lines[i].name == "BEGIN") ++depth;
        if (lines[i].name == "END") --depth;
        const std::string& n = lines[i].name;
        if (depth != 0 || (n != "VERSION" && n != "PRODID" && n != "CALSCALE")) continue;
        has_version = has_version || n == "VERSION";
        has_prodid = has_prodid || n == "PRODID";
        header += bytes_of(i, i);
      }
    } else if (b.name == "VTIMEZONE" && (b.parent == "VCALENDAR" || b.top)) {
      std::string tzid;
      for (std::size_t i = b.first + 1; i < b.last && tzid.empty(); ++i) {
        if (lines[i].name == "TZID") tzid = property_value(lines[i].text);
      }
      if (!tzid.empty()) zones.emplace(tzid, bytes_of(b.first, b.last));
    } else if ((b.name == "VEVENT" || b.name == "VTODO" || b.name == "VJOURNAL") &&
               (b.parent == "VCALENDAR" || b.top) && well_nested(lines, b)) {
      Event e{block_uid(lines, b), bytes_of(b.first, b.last), {}};
      if (e.uid.empty()) {
        e.uid = resource_name("", e.bytes, "event", "");
        with_uid(e.bytes, lines[b.first].end - lines[b.first].begin, e.uid + ".");
      }
      for (std::size_t i = b.first + 1; i < b.last; ++i) {
        for (std::string& tzid : parameter_values(lines[i].text, "TZID")) e.tzids.push_back(std::move(tzid));
      }
      events.push_back(std::move(e));
    }
  }
  if (!has_prodid) header = "PRODID:-//Telvane//Phondeck//EN" + eol + header;
  if (!has_version) header = "VERSION:2.0" + eol + header;

  // Events sharing a UID (a recurrence and its exceptions) make one resource.
  std::vector<DavItem> items;
  std::map<std::string, std::size_t> by_uid;
  std::vector<std::vector<const Event*>> groups;
  for (const Event& e : events) {
    auto [at, fresh] = by_uid.emplace(e.uid, groups.size());
    if (fresh) groups.emplace_back();
    groups[at->second].push_back(&e);
  }
  for (const std::vector<const Event*>& group : groups) {
    std::string components;
    std::vector<std::string> used;
    for (const Event* e : group) {
      for (const std::string& tzid : e->tzids) {
        bool seen = false;
        for (const std::string& u : used) seen = seen || u == tzid;
        if (!seen && zones.count(tzid) != 0) used.push_back(tzid);
      }
    }
    for (const std::string& tzid : used) components += zones[tzid];
    std::string own;
    for (const Event* e : group) own += e->bytes;
    components += own;
    items.push_back({resource_name(group.front()->uid, own, "event", ".ics"),
                     "BEGIN:VCALENDAR" + eol + header + components + "END:VCALENDAR" + eol});
  }
  return items;
}

}  // namespace phondeck
