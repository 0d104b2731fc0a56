#include "link/frame_layer.h"

#include <algorithm>
#include <cstring>

#include "link/clock.h"
#include "link/port.h"

namespace phondeck {
namespace {

constexpr std::size_t kWritePiece = 8;
constexpr std::uint8_t kSyncByte = 0x55;
constexpr std::size_t kAckLength = 10;

// XOR of the bytes at even offsets, and of every byte.
void checksums(const std::uint8_t* bytes, std::size_t count, std::uint8_t& even, std::uint8_t& all) {
  even = 0;
  all = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 2 == 0) even ^= bytes[i];
    all ^= bytes[i];
  }
}

// The bursts of the seven cable settings: sizes, 0 meaning a 1 ms pause.
constexpr std::array<std::array<std::uint16_t, 7>, FrameLayer::kCableSettings> kBursts{{
    {64, 0, 64, 0, 64, 0, 64},
    {256},
    {512},
    {32},
    {64, 0, 64, 0},
    {128, 0, 128},
    {128, 0, 128, 0},
}};
constexpr std::array<std::size_t, FrameLayer::kCableSettings> kBurstItems{7, 1, 1, 1, 4, 3, 4};

}  // namespace

bool frame_checksums_hold(const std::uint8_t* frame, std::size_t size) {
  if (size < kFrameHeader + 2) return false;
  std::uint8_t even = 0;
  std::uint8_t all = 0;
  checksums(frame, size - 2, even, all);
  // size is even for every assembled frame, so checksum 1 sits at an even offset.
  return frame[size - 2] == even && frame[size - 1] == (all ^ frame[size - 2]);
}

bool frame_checksums_ok(const std::uint8_t* frame, std::size_t size) {
  return size >= kFrameHeader + 2 && frame[5] > 2 && frame_checksums_hold(frame, size);
}

FrameLayer::FrameLayer(LinkPort& port, Timer& timer, Clock& clock)
    : port_(port), timer_(timer), clock_(clock) {}

void FrameLayer::set_media(int type) { frame_id_ = type == 0 ? kFrameIdInfrared : kFrameIdCable; }

std::uint8_t FrameLayer::next_sequence() {
  ++sequence_;
  if (sequence_ > 0x47) sequence_ = 0x40;
  return sequence_;
}

void FrameLayer::chunked_write(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t at = 0; at < count; at += kWritePiece) {
    port_.set_dtr(true);
    port_.set_rts(false);
    port_.write(bytes + at, std::min(kWritePiece, count - at));
  }
}

void FrameLayer::send_message(const std::uint8_t* bytes, std::size_t count, int expect_reply) {
  // Room for a pad byte and both checksums.
  if (count == 0 || count + 3 > kFrameSize) return;
  flags_.ack_received = 0;
  flags_.reply_count = 1 - expect_reply;
  // A reply still in hand answered the exchange before this one.
  reply_in_hand_ = false;
  ++exchange_number_;
  std::memcpy(transmit_.data(), bytes, count);
  std::size_t length = count;
  if (length % 2 != 0) transmit_[length++] = 0x00;
  std::uint8_t even = 0;
  std::uint8_t all = 0;
  checksums(transmit_.data(), length, even, all);
  transmit_[length++] = even;
  transmit_[length] = static_cast<std::uint8_t>(all ^ even);
  ++length;
  transmit_length_ = length;
  std::memcpy(copy_.data(), transmit_.data(), length);
  copy_length_ = length;
  copy_expect_reply_ = expect_reply;
  awaited_ack_.reset();
  if (expect_reply == 0 && count >= 8)
    awaited_ack_ = std::pair{bytes[3], static_cast<std::uint8_t>(bytes[count - 1] & 0x0F)};
  tap_frame(TapKind::Sent, transmit_.data(), length);
  chunked_write(transmit_.data(), length);
  timer_.start(kTimerMs);
}

void FrameLayer::send_request(std::uint8_t type, std::span<const std::uint8_t> payload,
                              int expect_reply) {
  const std::size_t data_length = payload.size() + 2;
  if (data_length > 0xFF) return;
  std::size_t n = 0;
  request_[n++] = frame_id_;
  request_[n++] = kAddressHandset;
  request_[n++] = kAddressPc;
  request_[n++] = type;
  request_[n++] = 0x00;
  request_[n++] = static_cast<std::uint8_t>(data_length);
  if (!payload.empty()) std::memcpy(request_.data() + n, payload.data(), payload.size());
  n += payload.size();
  request_[n++] = 0x01;  // frames still to come, this one included
  request_[n++] = next_sequence();
  send_message(request_.data(), n, expect_reply);
}

void FrameLayer::send_raw(const std::uint8_t* bytes, std::size_t count) {
  count = std::min(count, kFrameSize);
  flags_.ack_received = 0;
  flags_.reply_count = 1;
  std::memcpy(transmit_.data(), bytes, count);
  transmit_length_ = count;
  std::memcpy(copy_.data(), bytes, count);
  copy_length_ = count;
  copy_expect_reply_ = 0;
  awaited_ack_.reset();
  tap_frame(TapKind::Raw, transmit_.data(), count);
  chunked_write(transmit_.data(), count);
}

void FrameLayer::write_ack(const LinkFrame& frame, std::uint8_t type, bool full_sequence) {
  const int sequence = frame.sequence();
  std::array<std::uint8_t, kAckLength> ack{frame_id_, kAddressHandset, kAddressPc, kTypeAck, 0x00, 0x02, type,
                                           static_cast<std::uint8_t>(full_sequence ? sequence : sequence & 0x0F)};
  std::uint8_t even = 0;
  std::uint8_t all = 0;
  checksums(ack.data(), 8, even, all);
  ack[8] = even;
  ack[9] = static_cast<std::uint8_t>(all ^ even);
  tap_frame(TapKind::AckSent, ack.data(), ack.size());
  chunked_write(ack.data(), ack.size());
}

void FrameLayer::acknowledge(std::uint8_t type, bool full_sequence) {
  write_ack(LinkFrame(assembly_.data(), frame_size_), type, full_sequence);
  if (reply_in_hand_) {
    reply_in_hand_ = false;
    ++flags_.reply_count;
  }
  // A reply that overtook the handset's acknowledgement leaves our request
  // unconfirmed; if that acknowledgement is lost only the timer recovers.
  if (flags_.exchange_done()) timer_.stop();
}

void FrameLayer::drop_reply(std::uint8_t type) {
  reply_in_hand_ = false;
  write_ack(LinkFrame(assembly_.data(), frame_size_), type, false);
}

void FrameLayer::retransmit() {
  ++flags_.retry;
  if (flags_.retry < 3) {
    // A reply that already arrived (and was acknowledged) is not asked for
    // again: the handset answers a repeated request with its acknowledgement
    // alone, and that must complete the exchange.
    flags_.ack_received = 0;
    if (flags_.reply_count == 0) flags_.reply_count = 1 - copy_expect_reply_;
    tap_frame(TapKind::Resent, copy_.data(), copy_length_, flags_.retry);
    chunked_write(copy_.data(), copy_length_);
    return;
  }
  if (events_) events_->retries_exhausted();
}

void FrameLayer::sync_burst(int cable_setting) {
  if (cable_setting < 0 || cable_setting >= kCableSettings) return;
  const auto setting = static_cast<std::size_t>(cable_setting);
  std::array<std::uint8_t, 512> burst;
  burst.fill(kSyncByte);
  for (std::size_t i = 0; i < kBurstItems[setting]; ++i) {
    const std::uint16_t item = kBursts[setting][i];
    if (item == 0) {
      clock_.sleep_ms(1);
    } else {
      send_raw(burst.data(), item);
    }
  }
}

void FrameLayer::reset() {
  sequence_ = kSequenceAfterReset;
  expected_ = kFrameSize;
}

void FrameLayer::take_from_port(std::size_t count) {
  count = std::min(count, kStagingSize);
  const std::size_t taken = port_.take_received(staging_.data(), count);
  receive(staging_.data(), std::min(taken, count));
}

void FrameLayer::receive(const std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  for (;;) {
    std::uint8_t b = 0;
    if (rescan_at_ < rescan_length_) {
      b = rescan_[rescan_at_++];
    } else if (i < count) {
      b = bytes[i++];
    } else {
      return;
    }
    if (!take_byte(b)) return;
  }
}

bool FrameLayer::take_byte(std::uint8_t b) {
  if (fill_ == 0) {
    if (b == frame_id_) assembly_[fill_++] = b;
    return true;
  }
  if (fill_ >= kFrameSize) {  // would overflow: drop the frame and the batch
    tap_frame(TapKind::Broken, assembly_.data(), fill_);
    fill_ = 0;
    inner_count_ = 0;
    rescan_at_ = rescan_length_ = 0;
    return false;
  }
  assembly_[fill_++] = b;
  if (fill_ == 2 || fill_ == 3) {  // destination, then source
    if (b != kAddressPc && b != kAddressHandset) {
      fill_ = 0;
      inner_count_ = 0;
      if (b == frame_id_) assembly_[fill_++] = b;
      return true;
    }
  } else if (fill_ == 6) {
    expected_ = static_cast<std::size_t>(b) + 8 + (b % 2);
  } else if (fill_ == expected_) {
    frame_complete();
    return true;
  }
  if (watch_inner_frames(b)) {
    // The frame around it was broken (a byte lost, or a length that runs on
    // past it): the good frame counts, what came before it is dropped.
    inner_count_ = 0;
    process_frame();
    fill_ = 0;
  }
  return true;
}

void FrameLayer::frame_complete() {
  const std::size_t size = fill_;
  const bool intact = frame_checksums_hold(assembly_.data(), size);
  process_frame();
  fill_ = 0;
  inner_count_ = 0;
  // A broken frame may have run into the next one: look again from the byte
  // after its start.
  if (!intact) scan_again_from(1, size);
}

bool FrameLayer::watch_inner_frames(std::uint8_t b) {
  const std::size_t at = fill_ - 1;
  for (std::size_t k = 0; k < inner_count_;) {
    InnerStart& start = inner_[k];
    const std::size_t offset = at - start.at;
    bool keep = true;
    if (offset == 1) {
      keep = b == kAddressPc;
    } else if (offset == 2) {
      keep = b == kAddressHandset;
    } else if (offset == 5) {
      start.end = start.at + b + 8 + (b % 2);
      keep = b >= 2 && start.end <= kFrameSize;
    } else if (start.end == at + 1) {
      if (frame_checksums_hold(assembly_.data() + start.at, start.end - start.at)) {
        const std::size_t size = start.end - start.at;
        std::memmove(assembly_.data(), assembly_.data() + start.at, size);
        fill_ = size;
        expected_ = size;
        return true;
      }
      keep = false;
    }
    if (keep) {
      ++k;
    } else {
      inner_[k] = inner_[--inner_count_];
    }
  }
  if (b == frame_id_ && inner_count_ < kInnerStarts) inner_[inner_count_++] = InnerStart{at, 0};
  return false;
}

void FrameLayer::scan_again_from(std::size_t from, std::size_t size) {
  const std::size_t again = size - from;
  const std::size_t rest = std::min(rescan_length_ - rescan_at_, kFrameSize - again);
  std::memmove(rescan_.data() + again, rescan_.data() + rescan_at_, rest);
  std::memcpy(rescan_.data(), assembly_.data() + from, again);
  rescan_at_ = 0;
  rescan_length_ = again + rest;
}

void FrameLayer::process_frame() {
  frame_size_ = fill_;
  const LinkFrame frame(assembly_.data(), fill_);
  if (flags_.link_state == LinkState::Disconnected) return tap_frame(TapKind::Unheard, assembly_.data(), fill_);
  if (fill_ < 4 || assembly_[1] != kAddressPc) {  // echoes of our own frames end here
    return tap_frame(fill_ >= 4 ? TapKind::Echo : TapKind::Broken, assembly_.data(), fill_);
  }
  const std::uint8_t type = frame.type();
  if (type != kTypeAck) {
    // A frame with a bad checksum is dropped before it can take the sequence
    // slot, so the handset's good retransmission of it is not lost as a repeat.
    if (type != 0xDA && !frame_checksums_ok(assembly_.data(), fill_)) {
      return tap_frame(TapKind::Broken, assembly_.data(), fill_);
    }
    if (frame.sequence() == last_sequence_) {
      // A repeat: the handset missed our acknowledgement. A running timer
      // belongs to a newer exchange and keeps running.
      tap_frame(TapKind::Repeat, assembly_.data(), fill_);
      write_ack(frame, type, false);
      return;
    }
    last_sequence_ = frame.sequence();
  }
  if (!flags_.connected) return tap_frame(TapKind::Unheard, assembly_.data(), fill_);
  if (frame_checksums_hold(assembly_.data(), fill_)) flags_.heard = 1;
  tap_frame(TapKind::Received, assembly_.data(), fill_);
  dispatch(frame);
}

void FrameLayer::unsolicited(const LinkFrame& frame) {
  acknowledge(frame.type(), frame.type() == 0xDA);
  // Starts the timer when it is stopped (in Idle that leads to the status
  // poll). A running timer keeps its expiry: a handset that reports every
  // second or so must not hold off the retransmission of a lost request.
  if (!timer_.running()) timer_.start(kTimerMs);
}

void FrameLayer::store_network_details(const LinkFrame& frame) {
  if (frame.data_length() < 17) return;
  const int code14 = frame.data(14);
  const int code15 = frame.data(15);
  const int code16 = frame.data(16);
  const int mcc = (code14 & 0x0F) * 100 + (code14 >> 4) * 10 + (code15 & 0x0F);
  const int mnc = (code16 & 0x0F) * 10 + (code16 >> 4);
  if (events_) events_->network_details(mcc, mnc);
}

void FrameLayer::check_exchange() {
  if (flags_.exchange_done() && events_) events_->exchange_complete();
}

void FrameLayer::dispatch(const LinkFrame& frame) {
  const std::uint8_t type = frame.type();
  const int sub = frame.sub_type();
  // A later frame of a message carries no header: its data byte 3 is message
  // data, never a sub-type, so it goes to the running step as it is.
  const std::size_t length = frame.data_length();
  const int remaining = length >= 2 ? frame.data(length - 2) : 0;
  const bool continues = type != kTypeAck && type == message_type_ && remaining + 1 == message_remaining_;
  if (type != kTypeAck) {
    message_type_ = type;
    message_remaining_ = remaining;
  }
  if (continues) {
    pass_reply(frame);
    return;
  }
  switch (type) {
    case kTypeAck:
      if (awaited_ack_ && (frame.data(0) != awaited_ack_->first || (frame.data(1) & 0x0F) != awaited_ack_->second))
        return;
      if (!flags_.ack_received) {
        flags_.ack_received = 1;
        if (flags_.reply_count != 0) check_exchange();
      }
      return;
    case 0xDA:
    case 0x01:
    case 0x0D:
      unsolicited(frame);
      return;
    case 0x0A:
      unsolicited(frame);
      if (sub == 0x71) store_network_details(frame);
      return;
    case 0x02:
      if (sub == 0x10) return unsolicited(frame);
      break;
    case 0x0C:
      if (sub == 0x43) return unsolicited(frame);
      break;
    case 0x13:
      if (sub == 0x6A) return unsolicited(frame);
      if (flags_.link_state == LinkState::Idle && (sub == 0x65 || sub == 0x67 || sub == 0x69))
        return unsolicited(frame);
      break;
    default:
      break;
  }
  pass_reply(frame);
}

void FrameLayer::pass_reply(const LinkFrame& frame) {
  // Only a reply that the running step takes (acknowledges) answers the
  // request: a message it ignores must not complete the exchange, or the step
  // would be sent again while the handset still owes its answer.
  reply_in_hand_ = true;
  if (events_) events_->reply_arrived(frame);
  reply_in_hand_ = false;
  check_exchange();
}

}  // namespace phondeck
