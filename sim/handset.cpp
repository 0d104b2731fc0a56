#include "sim/handset.h"

#include <algorithm>
#include <iterator>

#include "sim/families.h"
#include "sim/message_types.h"

namespace phondeck::sim {

namespace {

constexpr NoticeKind kNotices[] = {
    {0x0A, 0x71}, {0x01, 0x02}, {0x02, 0x10}, {0x0C, 0x43}, {0x13, 0x6A},
    {0x13, 0x65}, {0x13, 0x67}, {0x13, 0x69}, {0x0D, 0x01}, {0xDA, 0x01},
};

}  // namespace

std::span<const NoticeKind> unsolicited_kinds() { return kNotices; }

Handset::Handset(const Clock& clock, HandsetState state, HandsetOptions options, FaultOptions faults)
    : clock_(clock),
      state_(std::move(state)),
      options_(options),
      faults_(faults),
      dice_in_(faults.seed),
      dice_out_(faults.seed ^ 0x9E3779B9u),
      scanner_(options.frame_id),
      start_ms_(clock.now_ms()),
      awake_(!options.need_wake),
      clean_scanner_(options.frame_id) {
  add_all_families(table_);
  if (options_.network_every_ms > 0) next_network_ms_ = start_ms_ + options_.network_every_ms;
  if (options_.notices_every_ms > 0) next_notice_ms_ = start_ms_ + options_.notices_every_ms;
}

std::uint8_t Handset::next_sequence() {
  // Bit 6 set, a modulo-8 count in the low bits.
  const std::uint8_t value = static_cast<std::uint8_t>(0x40 | (sequence_counter_ & 0x07));
  ++sequence_counter_;
  return value;
}

bool Handset::silent_at(std::int64_t now) const {
  if (now < restarting_until_ms_) return true;
  if (faults_.silent_at_ms < 0) return false;
  const std::int64_t from = start_ms_ + faults_.silent_at_ms;
  if (now < from) return false;
  return faults_.silent_for_ms == 0 || now < from + faults_.silent_for_ms;
}

void Handset::check_hang_up(std::int64_t now) {
  if (hung_up_ || faults_.hang_up_at_ms < 0 || now < start_ms_ + faults_.hang_up_at_ms) return;
  hung_up_ = true;
  queue_.clear();
  wire_.clear();
  if (line_ != nullptr) line_->hang_up();
}

void Handset::line_raised() {
  if (options_.deaf_after_dtr_ms > 0) deaf_until_ms_ = clock_.now_ms() + options_.deaf_after_dtr_ms;
}

void Handset::receive(const std::uint8_t* bytes, std::size_t count) {
  const std::int64_t now = clock_.now_ms();
  check_hang_up(now);
  if (hung_up_ || silent_at(now) || count == 0) return;
  if (now < deaf_until_ms_) {  // still powering up
    stats_.deaf += static_cast<int>(count);
    return;
  }
  if (options_.echo && line_ != nullptr) line_->transmit(bytes, count);
  last_heard_ms_ = now;
  Bytes heard;
  if (faults_.noise > 0 || faults_.burst > 0) {
    // The frames as the PC sent them, to tell those the noise changed unseen.
    clean_scanner_.feed(bytes, count, [this](const ReceivedFrame& frame) {
      if (!frame.checksum_ok) return;
      if (sent_frames_.size() == 16) sent_frames_.pop_front();
      sent_frames_.push_back(frame);
    });
    add_byte_noise(faults_, dice_in_, bytes, count, heard, stats_.noise);
    bytes = heard.data();
    count = heard.size();
  }

  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] != 0x55) {
      run_55_ = 0;
      continue;
    }
    if (++run_55_ == options_.wake_run) {
      // A burst starts a new session: the PC may reuse a sequence byte.
      awake_ = true;
      last_sequence_in_ = -1;
      partial_.clear();
      ++stats_.wakes;
    }
  }
  scanner_.feed(bytes, count, [this](const ReceivedFrame& frame) { on_frame(frame); });
  poll();
}

void Handset::on_frame(const ReceivedFrame& frame) {
  ++stats_.frames_in;
  if (frame.checksum_ok && (faults_.noise > 0 || faults_.burst > 0) &&
      std::none_of(sent_frames_.begin(), sent_frames_.end(), [&frame](const ReceivedFrame& sent) {
        return sent.type == frame.type && sent.data == frame.data;
      })) {
    count_frame_past_the_checksums(stats_.noise);
  }
  if (dice_in_.roll(faults_.drop_in)) {
    ++stats_.dropped_in;
    return;
  }
  bool intact = frame.checksum_ok;
  if (intact && dice_in_.roll(faults_.corrupt)) {
    intact = false;
    ++stats_.corrupted;
  }
  if (!intact) {
    ++stats_.bad_checksums;
    return;
  }
  if (!awake_) {
    ++stats_.asleep;
    return;
  }
  if (frame.type == kAckType) {
    on_ack(frame);
    return;
  }
  if (frame.data.size() < 2) return;
  const std::uint8_t sequence = frame.data.back();
  const std::uint8_t remaining = frame.data[frame.data.size() - 2];
  put_on_wire(build_ack(options_.frame_id, frame.type, sequence));
  ++stats_.acks_out;
  if (sequence == last_sequence_in_) {
    ++stats_.repeats;
    return;
  }
  last_sequence_in_ = sequence;
  // A frame that does not follow the one before it starts a new message: the
  // PC began again, and what was joined so far is dropped.
  if (!partial_.empty() && remaining + 1 != partial_remaining_) partial_.clear();
  partial_.insert(partial_.end(), frame.data.begin(), frame.data.end() - 2);
  partial_remaining_ = remaining;
  if (remaining > 1) return;

  Request request{frame.type, std::move(partial_)};
  partial_.clear();
  ++stats_.requests;
  if (trace_) trace_({TraceEvent::kRequest, request.type, request.payload});
  if (!table_.dispatch(*this, request)) {
    ++stats_.unhandled;
    if (trace_) trace_({TraceEvent::kUnhandled, request.type, request.payload});
  }
}

void Handset::on_ack(const ReceivedFrame& frame) {
  ++stats_.acks_in;
  if (queue_.empty() || queue_.front().sends == 0 || frame.data.size() < 2) return;
  const Outgoing& head = queue_.front();
  if (frame.data[0] != head.type || (frame.data[1] & 0x0F) != (head.sequence & 0x0F)) return;
  const int message = head.message;
  queue_.pop_front();
  // The next frame of the message follows at once.
  if (!queue_.empty() && queue_.front().message == message) {
    queue_.front().due = clock_.now_ms();
  }
}

void Handset::restart(int silent_ms) {
  const std::int64_t now = clock_.now_ms();
  flush_wire(now);
  wire_.clear();
  queue_.clear();
  partial_.clear();
  last_sequence_in_ = -1;
  restarting_until_ms_ = now + silent_ms;
}

void Handset::reply(std::uint8_t type, Bytes payload) {
  const std::int64_t delay = faults_.delay_ms > 0 ? dice_out_.between(0, faults_.delay_ms) : 0;
  enqueue(type, payload, clock_.now_ms() + delay);
}

void Handset::send_unsolicited(std::uint8_t type, Bytes payload) {
  enqueue(type, payload, clock_.now_ms());
  poll();
}

void Handset::send_network_details() {
  Bytes p(17, 0x00);
  p[1] = 0x01;
  p[3] = 0x71;
  p[4] = 0x01;  // registered
  p[10] = static_cast<std::uint8_t>(state_.cell >> 8);
  p[11] = static_cast<std::uint8_t>(state_.cell);
  p[12] = static_cast<std::uint8_t>(state_.area >> 8);
  p[13] = static_cast<std::uint8_t>(state_.area);
  // Network code in semi-octets: MCC digits 1 2 | 0xF and digit 3 | MNC digits.
  const int mcc = state_.mcc % 1000;
  const int mnc = state_.mnc % 100;
  p[14] = static_cast<std::uint8_t>((mcc / 100) | ((mcc / 10 % 10) << 4));
  p[15] = static_cast<std::uint8_t>(0xF0 | (mcc % 10));
  p[16] = static_cast<std::uint8_t>((mnc / 10) | ((mnc % 10) << 4));
  send_unsolicited(kTypeNetwork, std::move(p));
}

void Handset::send_notice(std::uint8_t type, std::uint8_t sub_type) {
  if (type == kTypeNetwork && sub_type == 0x71) {
    send_network_details();
    return;
  }
  send_unsolicited(type, Bytes{0x00, 0x01, 0x00, sub_type, 0x01, 0x00});
}

void Handset::enqueue(std::uint8_t type, const Bytes& payload, std::int64_t due) {
  if (hung_up_) return;
  if (trace_) trace_({TraceEvent::kSent, type, payload});
  const std::size_t per_frame = std::max<std::size_t>(options_.frame_payload, 1);
  const std::size_t frames = std::max<std::size_t>(1, (payload.size() + per_frame - 1) / per_frame);
  const int message = next_message_++;
  for (std::size_t k = 0; k < frames; ++k) {
    const std::size_t from = k * per_frame;
    const std::size_t to = std::min(payload.size(), from + per_frame);
    Bytes data(payload.begin() + static_cast<long>(from), payload.begin() + static_cast<long>(to));
    // Bit 6 marks a message's first frame; the frames after it carry the
    // count alone.
    const std::uint8_t counted = next_sequence();
    const std::uint8_t sequence = k == 0 ? counted : static_cast<std::uint8_t>(counted & 0x3F);
    data.push_back(static_cast<std::uint8_t>(frames - k));
    data.push_back(sequence);
    queue_.push_back({type, sequence, build_frame(options_.frame_id, type, data), message, 0, due});
  }
}

void Handset::put_on_wire(const Bytes& frame) {
  if (dice_out_.roll(faults_.drop_out)) {
    ++stats_.dropped_out;
    return;
  }
  Bytes out;
  if (dice_out_.roll(faults_.stray)) {
    ++stats_.stray;
    const int count = dice_out_.between(1, 4);
    for (int i = 0; i < count; ++i) out.push_back(dice_out_.byte());
  }
  Bytes copy = frame;
  if (dice_out_.roll(faults_.corrupt)) {
    ++stats_.corrupted;
    copy.back() ^= 0x5A;
  }
  out.insert(out.end(), copy.begin(), copy.end());
  if (dice_out_.roll(faults_.duplicate)) {
    ++stats_.duplicated;
    out.insert(out.end(), copy.begin(), copy.end());
  }
  if (faults_.noise > 0 || faults_.burst > 0) {
    Bytes noisy;
    add_byte_noise(faults_, dice_out_, out.data(), out.size(), noisy, stats_.noise);
    for (int k = frames_changed_unseen(out, noisy, options_.frame_id); k > 0; --k) {
      count_frame_past_the_checksums(stats_.noise);
    }
    out = std::move(noisy);
  }

  std::int64_t at = std::max(clock_.now_ms(), wire_free_ms_);
  if (faults_.piece_max <= 0) {
    wire_.push_back({at, std::move(out)});
    wire_free_ms_ = at;
    return;
  }
  std::size_t offset = 0;
  while (offset < out.size()) {
    const std::size_t size =
        std::min(out.size() - offset, static_cast<std::size_t>(dice_out_.between(1, faults_.piece_max)));
    wire_.push_back({at, Bytes(out.begin() + static_cast<long>(offset),
                               out.begin() + static_cast<long>(offset + size))});
    offset += size;
    at += faults_.piece_gap_ms;
  }
  wire_free_ms_ = at;
}

void Handset::flush_wire(std::int64_t now) {
  while (!wire_.empty() && wire_.front().due <= now) {
    Piece piece = std::move(wire_.front());
    wire_.pop_front();
    if (line_ != nullptr) line_->transmit(piece.bytes.data(), piece.bytes.size());
  }
}

void Handset::poll() {
  const std::int64_t now = clock_.now_ms();
  check_hang_up(now);
  if (hung_up_ || silent_at(now)) return;

  // A frame start that the line left unfinished was noise.
  while (scanner_.pending() > 0 && now - last_heard_ms_ >= options_.quiet_ms) {
    scanner_.give_up_partial([this](const ReceivedFrame& frame) { on_frame(frame); });
  }
  if (options_.network_every_ms > 0 && now >= next_network_ms_) {
    next_network_ms_ = now + options_.network_every_ms;
    send_network_details();
    return;  // send_network_details polls again
  }
  if (options_.notices_every_ms > 0 && now >= next_notice_ms_) {
    next_notice_ms_ = now + options_.notices_every_ms;
    const NoticeKind kind = kNotices[notice_turn_++ % std::size(kNotices)];
    send_notice(kind.type, kind.sub_type);
    return;
  }
  while (!queue_.empty() && queue_.front().due <= now) {
    Outgoing& head = queue_.front();
    if (head.sends >= options_.max_sends) {
      const int message = head.message;
      while (!queue_.empty() && queue_.front().message == message) queue_.pop_front();
      ++stats_.given_up;
      continue;
    }
    if (head.sends == 0) {
      ++stats_.frames_out;
    } else {
      ++stats_.retransmits;
    }
    ++head.sends;
    head.due = now + options_.retransmit_ms;
    put_on_wire(head.frame);
    break;
  }
  flush_wire(now);
}

std::optional<std::int64_t> Handset::next_due_ms() const {
  if (hung_up_) return std::nullopt;
  std::optional<std::int64_t> due;
  auto consider = [&due](std::int64_t t) {
    if (!due || t < *due) due = t;
  };
  if (faults_.hang_up_at_ms >= 0) consider(start_ms_ + faults_.hang_up_at_ms);
  const std::int64_t now = clock_.now_ms();
  if (silent_at(now)) {
    if (now < restarting_until_ms_) consider(restarting_until_ms_);
    if (faults_.silent_for_ms > 0) consider(start_ms_ + faults_.silent_at_ms + faults_.silent_for_ms);
    return due;
  }
  if (!wire_.empty()) consider(wire_.front().due);
  if (scanner_.pending() > 0) consider(last_heard_ms_ + options_.quiet_ms);
  if (!queue_.empty()) consider(queue_.front().due);
  if (options_.network_every_ms > 0) consider(next_network_ms_);
  if (options_.notices_every_ms > 0) consider(next_notice_ms_);
  return due;
}

}  // namespace phondeck::sim
