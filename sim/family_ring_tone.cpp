// Ringing tone upload (0x12): the handset's own reading of the Smart
// Messaging ringing-tone message. No reply; the frame's acknowledgement is
// all the PC gets.
#include "sim/family_ring_tone.h"

#include <array>

#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

constexpr std::array<std::uint8_t, 7> kPorts = {0x06, 0x05, 0x04, 0x15, 0x81, 0x15, 0x81};
constexpr std::array<int, 32> kTempos = {25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,
                                         90,  100, 112, 125, 140, 160, 180, 200, 225, 250, 285,
                                         320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

// Fields read most significant bit first; reading past the end sets `over`.
struct Bits {
  const Bytes& data;
  std::size_t at;  // bit position
  bool over = false;
  int take(int n) {
    int v = 0;
    while (n-- > 0) {
      if (at >= data.size() * 8) {
        over = true;
        return 0;
      }
      v = v * 2 + ((data[at / 8] >> (7 - at % 8)) & 1);
      ++at;
    }
    return v;
  }
};

void append_latin1(std::string& out, int c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<UploadedTone> decode_tone_message(const Bytes& message) {
  if (message.size() < kPorts.size() || !std::equal(kPorts.begin(), kPorts.end(), message.begin()))
    return std::nullopt;
  Bits bits{message, kPorts.size() * 8};
  UploadedTone tone;
  // Commands: ringing-tone programming (padded to the octet), then sound.
  const int commands = bits.take(8);
  if (commands < 2 || bits.take(7) != 0x25) return std::nullopt;
  bits.take(1);
  if (bits.take(7) != 0x1D || bits.take(3) != 1) return std::nullopt;  // basic song
  for (int left = bits.take(4); left > 0; --left) append_latin1(tone.name, bits.take(8));
  const int patterns = bits.take(8);
  int scale = 1;
  for (int p = 0; p < patterns && !bits.over; ++p) {
    if (bits.take(3) != 0) return std::nullopt;
    bits.take(2);  // pattern id
    bits.take(4);  // loop
    for (int left = bits.take(8); left > 0 && !bits.over; --left) {
      switch (bits.take(3)) {
        case 1: {
          ToneNote note;
          note.value = bits.take(4);
          note.duration = bits.take(3);
          note.specifier = bits.take(2);
          note.scale = scale;
          if (note.value > 12 || note.duration > 5) return std::nullopt;
          tone.notes.push_back(note);
          break;
        }
        case 2: scale = bits.take(2); break;
        case 3: bits.take(2); break;  // style
        case 4: {
          const int code = bits.take(5);
          if (tone.tempo_bpm == 0) tone.tempo_bpm = kTempos[static_cast<std::size_t>(code)];
          break;
        }
        case 5: bits.take(4); break;  // volume
        default: return std::nullopt;
      }
    }
  }
  if (bits.over) return std::nullopt;
  return tone;
}

namespace {

bool upload(Handset& handset, const Request& request) {
  if (request.at(0) != 0x0C || request.at(1) != 0x01) return false;
  // A message to another Smart Messaging port (a caller-group picture) is
  // the graphics family's.
  if (request.at(2) == 0x06 && request.at(3) == 0x05 && request.at(4) == 0x04 &&
      (request.at(5) != kPorts[3] || request.at(6) != kPorts[4])) {
    return false;
  }
  RingToneState& state = handset.state().ring_tone;
  ++state.uploads;
  auto tone = decode_tone_message(Bytes(request.payload.begin() + 2, request.payload.end()));
  if (tone) {
    state.tone = std::move(tone);
  } else {
    ++state.refused;
  }
  return true;
}

void add_handlers(DispatchTable& table) { table.add(kTypeToneUpload, upload); }

void save(const HandsetState& state, nlohmann::json& j) {
  nlohmann::json tone = {{"uploads", state.ring_tone.uploads}, {"refused", state.ring_tone.refused}};
  if (state.ring_tone.tone) {
    const UploadedTone& t = *state.ring_tone.tone;
    nlohmann::json notes = nlohmann::json::array();
    for (const ToneNote& n : t.notes) notes.push_back({n.value, n.scale, n.duration, n.specifier});
    tone["name"] = t.name;
    tone["tempo"] = t.tempo_bpm;
    tone["notes"] = notes;
  }
  j["ring_tone"] = tone;
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("ring_tone")) return;
  const nlohmann::json& r = j.at("ring_tone");
  state.ring_tone.uploads = json_field(r, "uploads", state.ring_tone.uploads);
  state.ring_tone.refused = json_field(r, "refused", state.ring_tone.refused);
  if (!r.contains("notes")) return;
  UploadedTone t;
  t.name = json_field(r, "name", std::string());
  t.tempo_bpm = json_field(r, "tempo", 0);
  for (const nlohmann::json& n : r.at("notes")) {
    const std::vector<int> fields = json_ints(n);
    if (fields.size() != 4) throw std::invalid_argument("a tone note is [value, scale, duration, specifier]");
    t.notes.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  state.ring_tone.tone = std::move(t);
}

}  // namespace

HandsetFamily ring_tone_family() { return {"ring tone", add_handlers, save, load}; }

}  // namespace phondeck::sim
