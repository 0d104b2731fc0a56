#include "link/link_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/clock.h"
#include "link/link_frame.h"
#include "link/message_types.h"

namespace phondeck {
namespace {

struct SubTypeName {
  std::uint8_t type;
  std::uint8_t sub;
  bool from_pc;
  const char* name;
};

// The request and reply bytes the families send and take (data byte 3).
constexpr SubTypeName kSubTypes[] = {
    {kMsgSmsCentre, 0x01, true, "send message"},
    {kMsgSmsCentre, 0x07, true, "read message"},
    {kMsgSmsCentre, 0x30, true, "write message centre"},
    {kMsgSmsCentre, 0x33, true, "read message centre"},
    {kMsgSmsCentre, 0x02, false, "message sent"},
    {kMsgSmsCentre, 0x10, false, "message arrived"},
    {kMsgSmsCentre, 0x31, false, "message centre written"},
    {kMsgSmsCentre, 0x34, false, "message centre"},
    {kMsgPhoneBook, 0x01, true, "read entry"},
    {kMsgPhoneBook, 0x04, true, "write entry"},
    {kMsgPhoneBook, 0x07, true, "memory status"},
    {kMsgPhoneBook, 0x10, true, "read caller group"},
    {kMsgPhoneBook, 0x13, true, "write caller group"},
    {kMsgPhoneBook, 0x02, false, "entry"},
    {kMsgPhoneBook, 0x03, false, "entry not read"},
    {kMsgPhoneBook, 0x05, false, "entry written"},
    {kMsgPhoneBook, kPhoneBookWriteRefused, false, "entry refused"},
    {kMsgPhoneBook, 0x08, false, "memory status"},
    {kMsgPhoneBook, 0x11, false, "caller group"},
    {kMsgPhoneBook, 0x14, false, "caller group written"},
    {kMsgStatus, 0x01, true, "status poll"},
    {kMsgStatus, 0x03, true, "resynchronise"},
    {kMsgProfile, 0x10, true, "write profile feature"},
    {kMsgProfile, 0x13, true, "read profile feature"},
    {kMsgProfile, 0x1A, true, "read profile name"},
    {kMsgMedia, 0x16, true, "read startup graphic"},
    {kMsgMedia, 0x18, true, "write startup graphic"},
    {kMsgMedia, 0x30, true, "write operator logo"},
    {kMsgMedia, 0x33, true, "read operator logo"},
    {kMsgProfile, 0x11, false, "profile feature written"},
    {kMsgProfile, 0x12, false, "profile feature refused"},
    {kMsgProfile, 0x14, false, "profile feature"},
    {kMsgProfile, 0x1B, false, "profile name"},
    {kMsgMedia, 0x17, false, "startup graphic"},
    {kMsgMedia, 0x19, false, "startup graphic written"},
    {kMsgNetwork, 0x70, true, "network status"},
    {kMsgNetwork, 0x71, false, "network details"},
    {kMsgKeypress, 0x42, true, "key"},
    {kMsgKeypress, 0x43, false, "key"},
    {kMsgClock, 0x60, true, "write time"},
    {kMsgClock, 0x62, true, "read time"},
    {kMsgClock, 0x6B, true, "write alarm"},
    {kMsgClock, 0x6D, true, "read alarm"},
    {kMsgClock, 0x63, false, "time"},
    {kMsgCalendar, 0x64, true, "write note"},
    {kMsgCalendar, 0x66, true, "read note"},
    {kMsgCalendar, 0x68, true, "delete note"},
    {kMsgCalendar, 0x65, false, "note written"},
    {kMsgCalendar, 0x67, false, "note"},
    {kMsgCalendar, 0x69, false, "note deleted"},
    {kMsgSms, 0x04, true, "write message"},
    {kMsgSms, 0x0A, true, "delete message"},
    {kMsgSms, 0x36, true, "message status"},
    {kMsgSms, 0x05, false, "message written"},
    {kMsgSms, 0x06, false, "message not written"},
    {kMsgSms, 0x08, false, "message"},
    {kMsgSms, 0x09, false, "no message"},
    {kMsgSms, 0x0B, false, "message deleted"},
    {kMsgSms, 0x0C, false, "message not deleted"},
    {kMsgSms, 0x37, false, "message status"},
    {kMsgIdentify, 0x10, true, "identify"},
};

void append_hex(std::string& out, std::uint8_t b) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += kDigits[b >> 4];
  out += kDigits[b & 0x0F];
}

std::string hex(std::uint8_t b) {
  std::string out = "0x";
  append_hex(out, b);
  return out;
}

void append_bytes(std::string& out, std::span<const std::uint8_t> bytes) {
  out.reserve(out.size() + bytes.size() * 3 + 4);
  out += "  |";
  for (const std::uint8_t b : bytes) {
    out += ' ';
    append_hex(out, b);
  }
}

bool all_wake_up_bytes(std::span<const std::uint8_t> bytes) {
  return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0x55; });
}

const char* direction(TapKind kind) {
  switch (kind) {
    case TapKind::Sent:
    case TapKind::Resent:
    case TapKind::AckSent:
    case TapKind::Raw:
      return "PC>";
    case TapKind::Received:
    case TapKind::Repeat:
    case TapKind::Broken:
    case TapKind::Echo:
    case TapKind::Unheard:
      return "<HS";
    case TapKind::Reset:
    case TapKind::Lost:
    case TapKind::Engine:
      return "link";
    case TapKind::Port:
    case TapKind::PortError:
    case TapKind::LineError:
      return "port";
  }
  return "?";
}

bool carries_bytes(TapKind kind) {
  switch (kind) {
    case TapKind::Reset:
    case TapKind::Lost:
    case TapKind::Engine:
    case TapKind::Port:
    case TapKind::PortError:
    case TapKind::LineError:
      return false;
    default:
      return true;
  }
}

bool is_error(TapKind kind) {
  return kind == TapKind::PortError || kind == TapKind::LineError || kind == TapKind::Lost;
}

}  // namespace

std::string_view message_type_name(std::uint8_t type) {
  switch (type) {
    case kMsgSmsCentre: return "messages";
    case kMsgPhoneBook: return "phone book";
    case kMsgStatus: return "status";
    case kMsgProfile: return "profile, graphics";
    case kMsgNetwork: return "network";
    case kMsgKeypress: return "keypress";
    case kMsgClock: return "clock";
    case kMsgRingTone: return "upload";
    case kMsgCalendar: return "calendar";
    case kMsgSms: return "message memory";
    case kMsgNetMonitor: return "net monitor";
    case kMsgIdentify: return "identify";
    case kTypeAck: return "ack";
    default: return {};
  }
}

std::string_view sub_type_name(std::uint8_t type, std::uint8_t sub, bool from_pc) {
  for (const SubTypeName& n : kSubTypes) {
    if (n.type == type && n.sub == sub && n.from_pc == from_pc) return n.name;
  }
  return {};
}

std::string describe_frame(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  if (size < 4) return "fragment of " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
  const LinkFrame frame(bytes.data(), size);
  const std::uint8_t type = frame.type();
  const bool from_pc = bytes[2] == kAddressPc;
  // A frame cut short has no trailer to read: its last bytes are data.
  const std::size_t whole = size >= kFrameHeader ? bytes[5] + 8 + bytes[5] % 2 : 0;
  const bool complete = size >= kFrameHeader && size >= whole;
  std::string out;
  if (type == kTypeAck) {
    out = "ack";
    if (frame.data(0) >= 0) {
      const auto acked = static_cast<std::uint8_t>(frame.data(0));
      out += " of " + hex(acked);
      if (const std::string_view name = message_type_name(acked); !name.empty() && acked != kTypeAck)
        out += " " + std::string(name);
    }
    if (complete && frame.data(1) >= 0) out += " seq " + hex(static_cast<std::uint8_t>(frame.data(1)));
  } else {
    out = hex(type);
    if (const std::string_view name = message_type_name(type); !name.empty()) out += " " + std::string(name);
    const std::size_t length = frame.data_length();
    // The trailer: frames still to come (this one counted), the sequence byte.
    const int sequence = complete && length >= 1 ? frame.data(length - 1) : -1;
    const int remaining = complete && length >= 2 ? frame.data(length - 2) : -1;
    const bool first = sequence < 0 || (sequence & 0x40) != 0;
    const std::size_t header = complete ? 6 : 4;  // a complete frame's sub-type is no trailer byte
    if (!first) {
      out += ", later frame";
    } else if (type == kMsgRingTone && frame.data(0) == 0x0C && frame.data(1) == 0x01) {
      out += " / Smart Messaging";
    } else if (length >= header && frame.data(0) == 0x00 && frame.data(1) == 0x01) {
      const auto sub = static_cast<std::uint8_t>(frame.data(3));
      const std::string_view name = sub_type_name(type, sub, from_pc);
      out += " / " + hex(sub);
      if (!name.empty()) out += " " + std::string(name);
    }
    if (remaining > 1) out += ", " + std::to_string(remaining) + " frames to come";
    if (sequence >= 0) out += " seq " + hex(static_cast<std::uint8_t>(sequence));
  }
  if (!complete) {
    out += ", cut short (" + std::to_string(size) + (whole > 0 ? " of " + std::to_string(whole) : "") + " bytes)";
  }
  return out;
}

std::string format_entry(const LinkLogEntry& entry) {
  char head[40];
  std::snprintf(head, sizeof head, "%9lld ms  %-4s  ", static_cast<long long>(entry.ms), direction(entry.kind));
  std::string line = head;
  const std::span<const std::uint8_t> bytes(entry.bytes);
  switch (entry.kind) {
    case TapKind::Sent:
    case TapKind::Received:
    case TapKind::AckSent:
      line += describe_frame(bytes);
      break;
    case TapKind::Resent:
      line += "resend " + std::to_string(entry.retry) + ": ";
      if (all_wake_up_bytes(bytes)) return line + "wake-up, " + std::to_string(bytes.size()) + " bytes of 0x55";
      line += describe_frame(bytes);
      break;
    case TapKind::Raw:
      if (all_wake_up_bytes(bytes)) return line + "wake-up, " + std::to_string(bytes.size()) + " bytes of 0x55";
      line += "raw, " + std::to_string(bytes.size()) + " bytes";
      break;
    case TapKind::Repeat:
      line += "repeat, acknowledged again: " + describe_frame(bytes);
      break;
    case TapKind::Broken:
      line += "broken, dropped: " + describe_frame(bytes);
      break;
    case TapKind::Echo:
      line += "echo: " + describe_frame(bytes);
      break;
    case TapKind::Unheard:
      line += "not connected, dropped: " + describe_frame(bytes);
      break;
    case TapKind::Reset:
      return line + "reset: " + entry.text;
    case TapKind::Lost:
      return line + "lost: " + entry.text;
    case TapKind::Engine:
    case TapKind::Port:
      return line + entry.text;
    case TapKind::PortError:
      return line + "error: " + entry.text;
    case TapKind::LineError:
      return line + "line error: " + entry.text;
  }
  append_bytes(line, bytes);
  return line;
}

LinkLog::LinkLog(const Clock& clock) : clock_(clock), origin_ms_(clock.now_ms()) {}

LinkLogEntry& LinkLog::next_slot(TapKind kind) {
  LinkLogEntry* slot = nullptr;
  if (count_ < kKept) {
    if (ring_.size() < kKept) ring_.emplace_back();
    slot = &ring_[(start_ + count_) % kKept];
    ++count_;
  } else {
    slot = &ring_[start_];
    start_ = (start_ + 1) % kKept;
  }
  ++recorded_;
  slot->ms = clock_.now_ms() - origin_ms_;
  slot->kind = kind;
  slot->retry = 0;
  slot->bytes.clear();
  slot->text.clear();
  return *slot;
}

void LinkLog::tell_sinks(const LinkLogEntry& entry) {
  if (sinks_.empty()) return;
  const std::string line = format_entry(entry);
  for (const auto& [id, sink] : sinks_) sink(line);
}

void LinkLog::frame(TapKind kind, std::span<const std::uint8_t> bytes, int retry) {
  std::lock_guard<std::mutex> guard(lock_);
  LinkLogEntry& entry = next_slot(kind);
  entry.retry = retry;
  entry.bytes.assign(bytes.begin(), bytes.end());
  tell_sinks(entry);
}

void LinkLog::event(TapKind kind, std::string_view text) {
  std::lock_guard<std::mutex> guard(lock_);
  LinkLogEntry& entry = next_slot(kind);
  entry.text.assign(text);
  if (is_error(kind)) last_error_.assign(text);
  tell_sinks(entry);
}

int LinkLog::add_sink(Sink sink) {
  std::lock_guard<std::mutex> guard(lock_);
  sinks_.emplace_back(next_sink_, std::move(sink));
  return next_sink_++;
}

void LinkLog::remove_sink(int id) {
  std::lock_guard<std::mutex> guard(lock_);
  std::erase_if(sinks_, [id](const auto& s) { return s.first == id; });
}

const LinkLogEntry& LinkLog::kept(std::size_t i) const { return ring_[(start_ + i) % kKept]; }

std::vector<std::string> LinkLog::lines(std::size_t last) const {
  std::lock_guard<std::mutex> guard(lock_);
  const std::size_t n = std::min(last, count_);
  std::vector<std::string> out;
  out.reserve(n);
  for (std::size_t i = count_ - n; i < count_; ++i) out.push_back(format_entry(kept(i)));
  return out;
}

std::vector<std::string> LinkLog::frame_lines(std::size_t last) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> out;
  for (std::size_t i = count_; i > 0 && out.size() < last; --i) {
    const LinkLogEntry& entry = kept(i - 1);
    if (carries_bytes(entry.kind)) out.push_back(format_entry(entry));
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::uint64_t LinkLog::recorded() const {
  std::lock_guard<std::mutex> guard(lock_);
  return recorded_;
}

std::vector<std::string> LinkLog::lines_since(std::uint64_t& seen) const {
  std::lock_guard<std::mutex> guard(lock_);
  const std::uint64_t fresh = recorded_ > seen ? recorded_ - seen : 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(fresh, count_));
  std::vector<std::string> out;
  out.reserve(n);
  for (std::size_t i = count_ - n; i < count_; ++i) out.push_back(format_entry(kept(i)));
  seen = recorded_;
  return out;
}

std::size_t LinkLog::size() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

void LinkLog::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  start_ = 0;
  count_ = 0;
  recorded_ = 0;
  last_error_.clear();
}

std::string LinkLog::last_error() const {
  std::lock_guard<std::mutex> guard(lock_);
  return last_error_;
}

struct LinkLogFile::Descriptor {
  explicit Descriptor(int descriptor) : fd(descriptor) {}
  ~Descriptor() { ::close(fd); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  void write_line(const std::string& line) const {
    std::string out = line;
    out += '\n';
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // a full disk loses lines, not the link
      done += static_cast<std::size_t>(n);
    }
  }

  int fd;
};

LinkLogFile::LinkLogFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  // A file that was there keeps its owner but no longer lets others read it.
  if (::fchmod(fd, 0600) != 0) {
    error_ = std::strerror(errno);
    ::close(fd);
    return;
  }
  file_ = std::make_shared<Descriptor>(fd);
}

void LinkLogFile::write_line(const std::string& line) {
  if (file_) file_->write_line(line);
}

void LinkLogFile::follow(LinkLog& log) {
  if (!file_) return;
  for (const std::string& line : log.lines()) file_->write_line(line);
  log.add_sink([file = file_](const std::string& line) { file->write_line(line); });
}

}  // namespace phondeck
