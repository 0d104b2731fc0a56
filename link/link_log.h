#pragma once
// The link log: every frame both ways with its time, its message type and
// sub-type by name and its bytes, and the retransmissions, acknowledgements,
// resets and port errors between them. The last 2,000 entries stay in
// memory; lines go to the sinks (a --log file, --trace, the Link Log window)
// as they come. Recording copies the bytes only; lines are made when a sink
// listens or someone asks. Safe to call from the port's reader thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_tap.h"

namespace phondeck {

class Clock;

struct LinkLogEntry {
  std::int64_t ms = 0;  // since the log began
  TapKind kind = TapKind::Sent;
  int retry = 0;
  std::vector<std::uint8_t> bytes;
  std::string text;
};

// "0x03 phone book / 0x02 entry" and the like for a frame's bytes: its type
// by name, then (for the first frame of a message) its sub-type by name or
// in hex. Reads no byte past the frame's end, however short it is.
std::string describe_frame(std::span<const std::uint8_t> bytes);
// The message type's name ("status", "phone book"); empty when unknown.
std::string_view message_type_name(std::uint8_t type);
// The sub-type's name for a frame of type `type`, as sent by the PC or by
// the handset; empty when unknown.
std::string_view sub_type_name(std::uint8_t type, std::uint8_t sub, bool from_pc);
// One log line: the time in ms, the direction, what it is, the bytes in hex.
std::string format_entry(const LinkLogEntry& entry);

class LinkLog final : public LinkTap {
 public:
  static constexpr std::size_t kKept = 2000;
  using Sink = std::function<void(const std::string& line)>;

  explicit LinkLog(const Clock& clock);
  LinkLog(const LinkLog&) = delete;
  LinkLog& operator=(const LinkLog&) = delete;

  // LinkTap.
  void frame(TapKind kind, std::span<const std::uint8_t> bytes, int retry = 0) override;
  void event(TapKind kind, std::string_view text) override;

  // A sink is told every line from now on (from whichever thread records
  // it, one at a time); the id removes it.
  int add_sink(Sink sink);
  void remove_sink(int id);

  // The entries kept, oldest first, as lines; at most `last` of them.
  std::vector<std::string> lines(std::size_t last = kKept) const;
  // The last `last` entries that carry bytes (frames both ways), as lines.
  std::vector<std::string> frame_lines(std::size_t last) const;
  // Entries recorded since the log began (or was cleared); a window that
  // remembers it asks for only what came since.
  std::uint64_t recorded() const;
  // Lines of the entries after `seen` of them (those still kept); sets seen.
  std::vector<std::string> lines_since(std::uint64_t& seen) const;
  std::size_t size() const;
  void clear();
  // The last port or line error, or the reason of the last link reset that
  // was not asked for; empty when none.
  std::string last_error() const;

 private:
  // Under the lock: the next ring slot, stamped.
  LinkLogEntry& next_slot(TapKind kind);
  void tell_sinks(const LinkLogEntry& entry);
  const LinkLogEntry& kept(std::size_t i) const;  // 0 the oldest kept

  const Clock& clock_;
  std::int64_t origin_ms_;
  mutable std::mutex lock_;
  std::vector<LinkLogEntry> ring_;
  std::size_t start_ = 0;   // oldest kept entry
  std::size_t count_ = 0;   // entries kept
  std::uint64_t recorded_ = 0;
  std::string last_error_;
  std::vector<std::pair<int, Sink>> sinks_;
  int next_sink_ = 1;
};

// A file that the log's lines go to as they come (phondeck --log), which
// holds names and numbers: created, or emptied, for its owner only (0600).
class LinkLogFile {
 public:
  explicit LinkLogFile(const std::string& path);

  // False when the file could not be opened; error() says why.
  bool ok() const { return file_ != nullptr; }
  const std::string& error() const { return error_; }
  // Writes the line and its line end at once.
  void write_line(const std::string& line);
  // Writes the lines the log keeps, then each new one. The file stays open
  // while this object or the log needs it, whichever goes last.
  void follow(LinkLog& log);

 private:
  struct Descriptor;
  std::shared_ptr<Descriptor> file_;
  std::string error_;
};

}  // namespace phondeck
