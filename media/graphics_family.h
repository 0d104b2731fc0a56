#pragma once
// Caller-group and operator graphics on the media and settings state (9):
// Write Group Graphic (21..23), Read Network Code (31..33), Read Groups
// (101..103), Read System Logo (121..122) and Write System Logo (131..132).
#include <cstdint>
#include <vector>

#include "link/family_handler.h"
#include "link/reply_frames.h"
#include "media/graphics_records.h"

namespace phondeck {

class GraphicsFamily;

// The engine's parameters as Read Groups uses them.
class GroupReadParams {
 public:
  explicit GroupReadParams(OperationParams& params) : p_(params) {}
  // The next group to read, from 0 (p2).
  int next() const { return p_.p2; }
  void set_next(int next) { p_.p2 = next; }
  // Groups to read (p3).
  int count() const { return p_.p3; }
  void set_count(int count) { p_.p3 = count; }

 private:
  OperationParams& p_;
};

// Start functions; false when nothing started (or was queued). The write
// functions take the picture (and network code) and keep their own bytes
// until the operation sends them.
//
// Read Groups (guard without confirmation, model check): the five groups
// into the table; `purpose` says who asked (the Options dialog or the
// graphics window). Done with `entries` the groups read; listeners hear
// GroupsRead.
bool start_group_read(OperationEngine& engine, GraphicsFamily& family, GroupReadPurpose purpose,
                      StartOptions options = {});
// Write Group Graphic (guard without confirmation, model check): the
// picture as the group graphic message, uploaded with 0x12 0C 01; done
// with `bytes` the message's.
bool start_group_graphic_write(OperationEngine& engine, GraphicsFamily& family, const MonoBitmap& picture,
                               StartOptions options = {});
// Read Network Code (guard without confirmation): the handset then reports
// its network, which the frame layer stores in HandsetInfo (mcc, mnc).
bool start_network_code_read(OperationEngine& engine, GraphicsFamily& family, StartOptions options = {});
// Read System Logo (guard without confirmation): into the operator logo and
// caller group 0's logo; done with `bytes` the picture's.
bool start_system_logo_read(OperationEngine& engine, GraphicsFamily& family, StartOptions options = {});
// Write System Logo (guard with write confirmation, answered by the
// starter in `options.confirmed`): the picture with the network code; done
// with `bytes` the data's once the handset answered.
bool start_system_logo_write(OperationEngine& engine, GraphicsFamily& family, const MonoBitmap& picture, int mcc,
                             int mnc, StartOptions options = {});

class GraphicsFamily final : public FamilyHandler {
 public:
  // Each operation opens its exchange, sends its request and ends.
  enum class Step : int {
    OpenGroupGraphicWrite = 21,
    SendGroupGraphic = 22,
    GroupGraphicSent = 23,
    OpenNetworkCodeRead = 31,
    RequestNetworkCode = 32,
    NetworkCodeRequested = 33,
    OpenGroupRead = 101,
    RequestGroup = 102,
    OpenSystemLogoRead = 121,
    RequestSystemLogo = 122,
    SystemLogoTaken = 123,
    OpenSystemLogoWrite = 131,
    SendSystemLogo = 132,
    SystemLogoAnswered = 133,
  };
  // The ranges it takes on the media and settings router.
  static constexpr int kFirstStep = 21;
  static constexpr int kLastStep = 39;
  static constexpr int kFirstGroupStep = 101;
  static constexpr int kLastGroupStep = 109;
  static constexpr int kFirstLogoStep = 121;
  static constexpr int kLastLogoStep = 139;

  explicit GraphicsFamily(GraphicsRecords& records) : records_(records) {}
  GraphicsRecords& records() { return records_; }
  CallerGroupTable& groups() { return records_.groups; }
  GraphicsListeners& listeners() { return records_.listeners; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  // A reply being collected is forgotten.
  void link_reset() override;

  // Used by the start functions: the bytes the next write sends.
  void set_group_graphic(std::vector<std::uint8_t> message) { group_graphic_ = std::move(message); }
  void set_operator_logo(std::vector<std::uint8_t> data) { operator_logo_ = std::move(data); }

 private:
  void take_group_frame(OperationEngine& engine, const LinkFrame& frame);
  void take_logo_frame(OperationEngine& engine, const LinkFrame& frame);
  void finish(OperationEngine& engine, int text_id, GraphicsEvent event);

  GraphicsRecords& records_;
  std::vector<std::uint8_t> group_graphic_;
  std::vector<std::uint8_t> operator_logo_;
  // A group record or the system logo, joined from its frames.
  MultiFrameReply reply_;
  // A link reset came since the last request was sent: an acknowledgement
  // seen now is not its own.
  bool link_lost_ = false;
  int logo_mcc_ = 0;
  int logo_mnc_ = 0;
};

}  // namespace phondeck
