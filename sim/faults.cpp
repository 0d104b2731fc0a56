#include "sim/faults.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>

#include "sim/handset_codec.h"

namespace phondeck::sim {

namespace {

bool parse_share(std::string_view value, double& out) {
  const std::string text(value);
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !(v >= 0.0 && v <= 1.0)) return false;
  out = v;
  return true;
}

template <typename Int>
bool parse_int(std::string_view value, Int& out) {
  Int v{};
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || end != value.data() + value.size() || v < 0) return false;
  out = v;
  return true;
}

}  // namespace

bool FaultOptions::any() const {
  return drop_in > 0 || drop_out > 0 || corrupt > 0 || duplicate > 0 || delay_ms > 0 || stray > 0 ||
         piece_max > 0 || silent_at_ms >= 0 || hang_up_at_ms >= 0 || noise > 0 || burst > 0;
}

bool parse_faults(std::string_view text, FaultOptions& faults, std::string& error) {
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (item.empty()) continue;
    const std::size_t eq = item.find('=');
    const std::string_view key = item.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
    bool ok = eq != std::string_view::npos;
    if (!ok) {
    } else if (key == "drop") {
      ok = parse_share(value, faults.drop_in);
      faults.drop_out = faults.drop_in;
    } else if (key == "drop_in") {
      ok = parse_share(value, faults.drop_in);
    } else if (key == "drop_out") {
      ok = parse_share(value, faults.drop_out);
    } else if (key == "corrupt") {
      ok = parse_share(value, faults.corrupt);
    } else if (key == "dup") {
      ok = parse_share(value, faults.duplicate);
    } else if (key == "stray") {
      ok = parse_share(value, faults.stray);
    } else if (key == "noise") {
      ok = parse_share(value, faults.noise) && faults.noise <= 1.0 / 3;
    } else if (key == "burst") {
      ok = parse_share(value, faults.burst);
    } else if (key == "delay") {
      ok = parse_int(value, faults.delay_ms);
    } else if (key == "pieces") {
      ok = parse_int(value, faults.piece_max);
    } else if (key == "gap") {
      ok = parse_int(value, faults.piece_gap_ms);
    } else if (key == "seed") {
      ok = parse_int(value, faults.seed);
    } else if (key == "hangup") {
      ok = parse_int(value, faults.hang_up_at_ms);
    } else if (key == "silent") {
      const std::size_t colon = value.find(':');
      ok = parse_int(value.substr(0, colon), faults.silent_at_ms);
      faults.silent_for_ms = 0;
      if (ok && colon != std::string_view::npos) ok = parse_int(value.substr(colon + 1), faults.silent_for_ms);
    } else {
      error = "unknown fault '" + std::string(key) + "'";
      return false;
    }
    if (!ok) {
      error = "bad fault item '" + std::string(item) + "'";
      return false;
    }
  }
  return true;
}

bool FaultDice::roll(double p) {
  if (p <= 0) return false;
  if (p >= 1) return true;
  return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

int FaultDice::between(int low, int high) {
  if (high <= low) return low;
  return std::uniform_int_distribution<int>(low, high)(rng_);
}

double FaultDice::fraction() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

void add_byte_noise(const FaultOptions& faults, FaultDice& dice, const std::uint8_t* bytes, std::size_t count,
                    std::vector<std::uint8_t>& out, ByteNoiseCount& counted) {
  out.reserve(out.size() + count);
  if (faults.noise <= 0 && faults.burst <= 0) {
    out.insert(out.end(), bytes, bytes + count);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const double draw = dice.fraction();
    if (draw < faults.noise) {
      ++counted.flipped;
      out.push_back(static_cast<std::uint8_t>(bytes[i] ^ (1u << dice.between(0, 7))));
    } else if (draw < 2 * faults.noise) {
      ++counted.lost;
    } else if (draw < 3 * faults.noise) {
      ++counted.inserted;
      out.push_back(bytes[i]);
      out.push_back(dice.byte());
    } else {
      if (draw < 3 * faults.noise + faults.burst) {
        ++counted.bursts;
        const int length = dice.between(8, 40);
        for (int k = 0; k < length; ++k) out.push_back(dice.byte());
      }
      out.push_back(bytes[i]);
    }
  }
}

int frames_changed_unseen(const std::vector<std::uint8_t>& sent, const std::vector<std::uint8_t>& delivered,
                          std::uint8_t frame_id) {
  int unseen = 0;
  for (std::size_t at = 0; at + 8 <= delivered.size(); ++at) {
    if (delivered[at] != frame_id || delivered[at + 1] != kPcAddress || delivered[at + 2] != kHandsetAddress) continue;
    const std::size_t length = delivered[at + 5];
    const std::size_t size = 8 + length + length % 2;
    if (at + size > delivered.size()) continue;
    const std::span<const std::uint8_t> frame(delivered.data() + at, size);
    if (!frame_checksums_ok(frame)) continue;
    if (std::search(sent.begin(), sent.end(), frame.begin(), frame.end()) == sent.end()) ++unseen;
  }
  return unseen;
}

namespace {
std::atomic<long> past_the_checksums{0};
}

long frames_past_the_checksums() { return past_the_checksums.load(); }

void count_frame_past_the_checksums(ByteNoiseCount& counted) {
  ++counted.unseen;
  ++past_the_checksums;
}

}  // namespace phondeck::sim
