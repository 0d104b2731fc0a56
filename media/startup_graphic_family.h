#pragma once
// The startup graphic on the media and settings state (9): Read Startup
// Graphic (41..47, a reply of several frames), Write Startup Graphic (51..57, one
// message of five frames) and Reset Phone (61..64).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/family_handler.h"
#include "link/reply_frames.h"
#include "media/graphics_records.h"

namespace phondeck {

class StartupGraphicFamily;

// Start functions; false when nothing started (or was queued).
// Read Startup Graphic (guard without confirmation, model check): into the
// records' startup picture; done with `bytes` the picture's; listeners hear
// StartupRead.
bool start_startup_read(OperationEngine& engine, StartupGraphicFamily& family, StartOptions options = {});
// Write Startup Graphic (guard with write confirmation, answered by the
// starter in `options.confirmed`; model check): done with `bytes` the data's
// once the handset answered the last frame.
bool start_startup_write(OperationEngine& engine, StartupGraphicFamily& family, const MonoBitmap& picture,
                         StartOptions options = {});
// Reset Phone (guard with write confirmation): the handset restarts. Failed
// at ResetSent when the reset request went unacknowledged even when sent
// again (the handset may not have restarted).
bool start_phone_reset(OperationEngine& engine, StartupGraphicFamily& family, StartOptions options = {});

// The first frame of a startup graphic reply: 00 01 00 17 and the picture's
// shape (four bytes), with its frames-remaining byte.
bool startup_reply_first(const LinkFrame& frame);
// The 504 picture bytes of a reply joined after its first frame's header;
// bytes the handset did not send stay clear, bytes past them are not read.
MonoBitmap startup_picture(std::span<const std::uint8_t> collected);
// Where the picture begins in the first frame's payload.
inline constexpr std::size_t kStartupReplyHeader = 8;

class StartupGraphicFamily final : public FamilyHandler {
 public:
  enum class Step : int {
    OpenRead = 41,
    RequestPicture = 42,   // the first frame of the reply
    CollectPicture = 43,   // its later frames (43..46)
    LastPictureFrame = 46,
    PictureRead = 47,
    OpenWrite = 51,
    FirstFrame = 52,       // the five frames of the message (52..56)
    LastFrame = 56,
    Written = 57,
    OpenReset = 61,
    EnableReset = 62,
    RequestReset = 63,
    ResetSent = 64,
  };
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
  MultiFrameReply reply_;
  // Write: the frame last sent (-1: none yet), and how often the whole
  // message was sent again because a frame went unacknowledged.
  int sent_frame_ = -1;
  int restarts_ = 0;
  // A link reset came since the last request: an acknowledgement or a
  // collection seen now belongs to the link before it.
  bool link_lost_ = false;
};

}  // namespace phondeck
