#pragma once
// Line and handset faults the virtual handset can show, each drawn from one
// seeded generator so a run can be repeated exactly.
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace phondeck::sim {

struct FaultOptions {
  std::uint32_t seed = 1;
  double drop_in = 0;          // share of the PC's frames lost on the way in
  double drop_out = 0;         // share of the handset's frames lost on the way out
  double corrupt = 0;          // share of frames, either way, with a broken checksum
  double duplicate = 0;        // share of the handset's frames sent twice
  int delay_ms = 0;            // each reply waits a random 0..delay_ms first
  double stray = 0;            // share of the handset's frames preceded by noise
  int piece_max = 0;           // > 0: output leaves in random pieces of 1..piece_max bytes
  int piece_gap_ms = 1;        // pause between those pieces
  std::int64_t silent_at_ms = -1;   // from this time on the handset hears and says nothing
  std::int64_t silent_for_ms = 0;   // ... for this long; 0 for good
  std::int64_t hang_up_at_ms = -1;  // at this time the handset drops the line
  double noise = 0;            // per byte on the line, either way: the chance of a
                               // flipped bit, and as much of a lost and of an inserted byte
  double burst = 0;            // per byte, either way: a burst of 8..40 garbage bytes before it

  bool any() const;
};

// Parses "drop=0.1,corrupt=0.05,dup=0.05,delay=300,stray=0.1,pieces=3,
// silent=5000:2000,hangup=20000,noise=0.005,burst=0.001,seed=7" (drop=X sets
// both directions; drop_in/drop_out set one). False with a reason on a bad item.
bool parse_faults(std::string_view text, FaultOptions& faults, std::string& error);

class FaultDice {
 public:
  explicit FaultDice(std::uint32_t seed) : rng_(seed) {}
  // True with probability p (never for p <= 0, always for p >= 1).
  bool roll(double p);
  // Uniform in [low, high].
  int between(int low, int high);
  // Uniform in [0, 1).
  double fraction();
  std::uint8_t byte() { return static_cast<std::uint8_t>(between(0, 255)); }

 private:
  std::mt19937 rng_;
};

// The bytes after the line's noise: each byte may have a bit flipped, be
// lost, be followed by a stray byte (each with chance noise), or come after
// a burst of garbage (chance burst). One draw a byte when any noise is set.
struct ByteNoiseCount {
  int flipped = 0;
  int lost = 0;
  int inserted = 0;
  int bursts = 0;
  int unseen = 0;  // frames the noise changed that still pass both checksums
};
void add_byte_noise(const FaultOptions& faults, FaultDice& dice, const std::uint8_t* bytes, std::size_t count,
                    std::vector<std::uint8_t>& out, ByteNoiseCount& counted);

// Frames to the PC in `delivered` whose checksums hold but which `sent` does
// not hold: the two XOR checksums miss, for one, the same bit flipped in two
// bytes of even (or of odd) offset.
int frames_changed_unseen(const std::vector<std::uint8_t>& sent, const std::vector<std::uint8_t>& delivered,
                          std::uint8_t frame_id);

// Such frames, either way, in every handset of this process; the fault runs
// tell a wrong run that no check of the protocol could have caught by it.
long frames_past_the_checksums();
void count_frame_past_the_checksums(ByteNoiseCount& counted);

}  // namespace phondeck::sim
