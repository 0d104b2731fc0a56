#include "session/backup_differences.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>

#include <nlohmann/json.hpp>

#include "media/picture_files.h"
#include "media/windows_bitmap.h"

namespace phondeck {
namespace {

using Json = nlohmann::ordered_json;

std::span<const std::uint8_t> bytes_of(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string black_pixels(const std::optional<MonoBitmap>& picture) {
  if (!picture) return "a picture that cannot be read";
  int n = 0;
  for (int y = 0; y < picture->height(); ++y) {
    for (int x = 0; x < picture->width(); ++x) n += picture->get(x, y) ? 1 : 0;
  }
  return "picture of " + std::to_string(n) + " black pixels";
}

std::optional<MonoBitmap> pixel_text_picture(const std::string& text, PixelTextKind kind) {
  const PictureLoad load = decodePixelText(bytes_of(text), kind);
  if (!load.ok()) return std::nullopt;
  return load.picture;
}

// The lines of a vCard or VEVENT block, unfolded, without BEGIN and END.
std::vector<std::string> block_lines(const std::string& block) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < block.size()) {
    std::size_t eol = block.find('\n', at);
    if (eol == std::string::npos) eol = block.size();
    std::string line = block.substr(at, eol - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = eol + 1;
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
      lines.back() += line.substr(1);
      continue;
    }
    if (line.empty() || line.rfind("BEGIN:", 0) == 0 || line.rfind("END:", 0) == 0) continue;
    lines.push_back(line);
  }
  return lines;
}

// "TEL;TYPE=CELL:+358 40" as "TEL +358 40", its value unescaped.
std::string said_line(const std::string& line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos) return line;
  std::string name = line.substr(0, std::min(colon, line.find(';')));
  return name + " " + unescaped_text(std::string_view(line).substr(colon + 1));
}

// The lines of one block the other lacks, "; " between them.
std::string lines_only_in(const std::string& block, const std::string& other) {
  const std::vector<std::string> theirs = block_lines(other);
  const std::multiset<std::string> kept(theirs.begin(), theirs.end());
  std::string out;
  for (const std::string& line : block_lines(block)) {
    if (kept.count(line) != 0) continue;
    out += (out.empty() ? "" : "; ") + said_line(line);
  }
  return out.empty() ? "the same lines, in another order" : out;
}

std::string alarm_text(const std::string& content) {
  try {
    const Json j = Json::parse(content);
    if (!j.is_object() || !j.contains("on")) return content;
    if (!j["on"].is_boolean() || !j["on"].get<bool>()) return "off";
    return "on, " + (j.contains("time") && j["time"].is_string() ? j["time"].get<std::string>() : "?");
  } catch (const std::exception&) {
    return content;
  }
}

// A group's fields but its name (which its label holds) and its logo's file.
std::string group_text(const std::string& content) {
  try {
    const Json j = Json::parse(content);
    if (!j.is_object()) return content;
    std::string out;
    if (j.contains("ringing_tone")) out = "ringing tone " + j["ringing_tone"].dump();
    if (j.contains("name_bytes")) out += std::string(out.empty() ? "" : ", ") + "name bytes " + j["name_bytes"].dump();
    return out.empty() ? content : out;
  } catch (const std::exception&) {
    return content;
  }
}

// What one side holds of an item, in words; `other` is the other side's
// content (for blocks: only the lines that differ are said).
std::string side_text(BackupPart part, const std::string& label, const std::string& content, const std::string& other) {
  switch (part) {
    case BackupPart::Settings:
      return label == "diary alarm" ? alarm_text(content) : (content.empty() ? "none" : content);
    case BackupPart::Groups:
      if (label.size() > 5 && label.compare(label.size() - 5, 5, " logo") == 0) {
        return black_pixels(pixel_text_picture(content, PixelTextKind::Ngg));
      }
      return group_text(content);
    case BackupPart::Operator: {
      const PictureLoad load = decodePixelText(bytes_of(content), PixelTextKind::Nol);
      if (!load.ok()) return "a logo that cannot be read";
      return "network " + std::to_string(load.mcc) + " " + std::to_string(load.mnc) + ", " + black_pixels(load.picture);
    }
    case BackupPart::Startup:
      return black_pixels(decodeWindowsBitmap(bytes_of(content)));
    case BackupPart::Profiles:
      return content;
    case BackupPart::Calendar:
    case BackupPart::PhoneBook:
      return lines_only_in(content, other);
    case BackupPart::Messages:
      return content;
  }
  return content;
}

}  // namespace

std::string kind_text(Difference::Kind kind) {
  switch (kind) {
    case Difference::Kind::Differs: return "differs";
    case Difference::Kind::NotOnHandset: return "not on the handset";
    case Difference::Kind::OnHandsetOnly: return "on the handset only";
    case Difference::Kind::KeptOtherwise: return "kept otherwise";
  }
  return {};
}

std::string Difference::text() const {
  std::string out = kind_text(kind) + ": " + label;
  if (!handset.empty() || !backup.empty()) {
    out += " (handset: " + (handset.empty() ? std::string("none") : handset) + "; backup: " +
           (backup.empty() ? std::string("none") : backup) + ")";
  }
  return out;
}

std::vector<std::string> difference_lines(const std::vector<Difference>& differences) {
  std::vector<std::string> lines;
  for (const Difference& d : differences) lines.push_back(d.text());
  return lines;
}

std::string unescaped_text(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 'n' || next == 'N' ? '\n' : next;
  }
  return out;
}

std::vector<Difference> part_differences(BackupPart part, const BackupFiles& wanted, const BackupFiles& held) {
  using Kind = Difference::Kind;
  const auto want = part_items(part, wanted);
  const auto have = part_items(part, held);
  if (!want) return {{Kind::Differs, "the backup's " + part_title(part) + " cannot be read", "", ""}};
  if (!have) return {{Kind::Differs, "the handset's " + part_title(part) + " could not be read", "", ""}};
  const bool messages = part == BackupPart::Messages;
  std::vector<Difference> out;
  std::vector<bool> matched(have->size(), false);
  std::vector<const BackupItem*> missing;
  for (const BackupItem& w : *want) {
    bool found = false;
    for (std::size_t i = 0; i < have->size() && !found; ++i) {
      const BackupItem& h = (*have)[i];
      if (!matched[i] && h.label == w.label && h.content == w.content && h.kept == w.kept) found = matched[i] = true;
    }
    if (!found) missing.push_back(&w);
  }
  for (const BackupItem* w : missing) {
    bool found = false;
    for (std::size_t i = 0; i < have->size() && !found; ++i) {
      const BackupItem& h = (*have)[i];
      if (matched[i]) continue;
      if (messages ? h.content == w->content : h.label == w->label) {
        found = matched[i] = true;
        // The same message (number and text) elsewhere, or the same item
        // with another content.
        if (messages) {
          if (h.kept != w->kept) out.push_back({Kind::KeptOtherwise, w->label, h.kept, w->kept});
        } else {
          out.push_back({Kind::Differs, w->label, side_text(part, w->label, h.content, w->content),
                         side_text(part, w->label, w->content, h.content)});
        }
      }
    }
    if (!found) out.push_back({Kind::NotOnHandset, w->label, "", messages ? w->kept : ""});
  }
  // Messages the handset holds besides the backup's stay; they are no
  // difference a restore leaves.
  for (std::size_t i = 0; i < have->size() && !messages; ++i) {
    if (!matched[i]) out.push_back({Kind::OnHandsetOnly, (*have)[i].label, "", ""});
  }
  return out;
}

}  // namespace phondeck
