#pragma once
// Graphics (0x05, 0x12, and the network and reset requests they need): the
// startup graphic read and written in five frames, the operator logo with its
// network code, the caller-group picture uploaded as a picture message, the
// network report on request, and the restart on 0x40 00 01 64 03.
#include <cstdint>

#include "sim/families.h"
#include "sim/handset_codec.h"

namespace phondeck::sim {

inline constexpr std::size_t kStartupPictureBytes = 504;  // 84 x 48 in column bands
inline constexpr std::size_t kLogoPictureBytes = 126;     // 72 x 14 row-packed
inline constexpr int kRestartSilenceMs = 1500;

struct GraphicsState {
  Bytes startup = Bytes(kStartupPictureBytes, 0x00);
  Bytes operator_logo = Bytes(kLogoPictureBytes, 0x00);
  int logo_mcc = 0;  // the network the operator logo is shown on
  int logo_mnc = 0;
  // The last caller-group picture the PC uploaded, waiting for the user to
  // put it into a group (empty: none).
  Bytes received_logo;
  int restarts = 0;  // times the PC reset the handset; not saved
};

// The demo pictures: a framed startup picture, an operator logo, and a logo
// for each of the five caller groups.
GraphicsState demo_graphics(int mcc, int mnc);
Bytes demo_group_logo(int group);

HandsetFamily graphics_family();

}  // namespace phondeck::sim
