#pragma once
// The graphics windows' short messages: Send Group Graphic and Send System
// Logo fill the outgoing message, which the SMS Sending window then sends.
#include "media/mono_bitmap.h"
#include "organiser/sms_codec.h"

namespace phondeck {

// The 137-byte caller-group graphic message (port 0x1583), first octet 0x51,
// data coding 0xF5, one message.
void fill_group_graphic_sms(OutgoingSms& sms, const MonoBitmap& picture);

// The operator logo (port 0x1582) with the network code, as two concatenated
// parts that every recipient gets both of; `reference` tells one logo's parts
// from another's at the receiver.
void fill_operator_logo_sms(OutgoingSms& sms, const MonoBitmap& picture, int mcc, int mnc, std::uint8_t reference);

}  // namespace phondeck
