#pragma once
// The startup graphic on the media and settings state (9): Read Startup
// Graphic (41..47, a reply of several frames), Write Startup Graphic (51..57, one
// message of five frames) and Reset Phone (61..64).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/family_handler.h"
#include "media/graphics_records.h"

namespace phondeck {

class StartupGraphicFamily;

// Start functions; false when nothing started (or was queued).
// Read Startup Graphic (guard without confirmation, model check): into the
// records' startup picture; listeners hear StartupRead.
bool start_startup_read(OperationEngine& engine, StartupGraphicFamily& family, StartOptions options = {});
// Write Startup Graphic (guard with write confirmation, model check).
bool start_startup_write(OperationEngine& engine, StartupGraphicFamily& family, const MonoBitmap& picture,
                         StartOptions options = {});
// Reset Phone (guard with write confirmation): the handset restarts.
bool start_phone_reset(OperationEngine& engine, StartupGraphicFamily& family, StartOptions options = {});

// The frames of a startup graphic reply, in order by their frames-remaining
// byte, as the read step takes them; collects the 504 picture bytes. Apart
// from the family so the parser of the handset's bytes can be fuzzed alone.
class StartupReplyCollector {
 public:
  enum class Take { Ignored, Taken, Complete };
  void restart() {
    count_ = 0;
    next_remaining_ = 0;
  }
  // One frame's data (trailer included, as the frame states its length).
  Take take(std::span<const std::uint8_t> data);
  // Bytes the handset did not send stay clear.
  std::span<const std::uint8_t> picture_bytes() const { return bytes_; }
  std::size_t count() const { return count_; }
  bool collecting() const { return next_remaining_ > 0; }

 private:
  std::array<std::uint8_t, kStartupBytes> bytes_{};
  std::size_t count_ = 0;
  int next_remaining_ = 0;  // the frames-remaining byte of the next frame; 0: none
};

class StartupGraphicFamily final : public FamilyHandler {
 public:
  static constexpr int kStepRead = 41;
  static constexpr int kStepWrite = 51;
  static constexpr int kStepReset = 61;
  static constexpr int kFirstStep = 41;
  static constexpr int kLastStep = 69;

  explicit StartupGraphicFamily(GraphicsRecords& records) : records_(records) {}
  GraphicsRecords& records() { return records_; }
  GraphicsListeners& listeners() { return records_.listeners; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A reply being collected, or a write under way, starts afresh.
  void link_reset() override;

  // Used by the start function: the 510 bytes the next write sends.
  void set_startup_data(std::vector<std::uint8_t> data) { data_ = std::move(data); }

 private:
  void send_write_frame(OperationEngine& engine, int frame);
  void finish(OperationEngine& engine, int text_id, std::optional<GraphicsEvent> event);

  GraphicsRecords& records_;
  std::vector<std::uint8_t> data_;
  StartupReplyCollector collector_;
  // Write: the frame last sent (-1: none yet), and how often the whole
  // message was sent again because a frame went unacknowledged.
  int sent_frame_ = -1;
  int restarts_ = 0;
  // A link reset came since the last request: an acknowledgement or a
  // collection seen now belongs to the link before it.
  bool link_lost_ = false;
};

}  // namespace phondeck
