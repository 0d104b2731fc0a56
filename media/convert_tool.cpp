// The command-line converter. Messages go to the error stream; nothing is
// written to the output file unless the whole conversion succeeded.
#include "media/convert_tool.h"

#include <fstream>
#include <optional>
#include <ostream>

#include "app/code_page.h"
#include "app/conversion.h"
#include "media/midi_file.h"
#include "media/ott_file.h"
#include "media/picture_files.h"
#include "media/pixel_grid_editor.h"
#include "media/ring_tone.h"
#include "media/rtttl.h"
#include "media/windows_bitmap.h"

namespace phondeck {

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  phondeck-convert tone IN [--from ericsson|rtttl|ott|midi] [--name NAME] [--tempo BPM]\n"
    "                   [--format ott|sms|codes] -o OUT\n"
    "  phondeck-convert picture IN -o OUT [--slot K] [--mcc MCC] [--mnc MNC]\n"
    "  phondeck-convert --help\n"
    "\n"
    "tone     reads a tone: by --from, else by the file's ending\n"
    "           ericsson  an Ericsson melody text (the default): letters c d e f\n"
    "                     g a b (lower case an eighth note, upper case a quarter\n"
    "                     note), p for a rest, # before a note for a sharp, +\n"
    "                     for one octave up; blanks and line breaks only separate\n"
    "           rtttl     an RTTTL tune (.rtttl, .rtx)\n"
    "           ott       Smart Messaging ringing-tone data (.ott)\n"
    "           midi      a MIDI file (.mid, .midi): its first track with notes\n"
    "         A tune longer than a ringing tone holds is cut after its last\n"
    "         whole note that fits, with a warning. It writes:\n"
    "           --format ott    the Smart Messaging ringing-tone data (default)\n"
    "           --format sms    the same with the 7-byte port header, as sent in\n"
    "                           a short message\n"
    "           --format codes  the note-code string, three digits per note\n"
    "         --name   the tone's title, at most 15 characters (default: the\n"
    "                  file's, else Phondeck); a longer one is cut, with a warning\n"
    "         --tempo  beats per minute; the nearest Smart Messaging tempo is\n"
    "                  used (default: the file's, else 120)\n"
    "\n"
    "picture  converts between Windows bitmaps (.bmp), caller-group graphics\n"
    "         (.ngg), operator logos (.nol) and one picture of an 18-picture\n"
    "         buffer file (.14), chosen by the files' endings. A bitmap may be of\n"
    "         any size; the other forms hold 72 by 14 pixels. A bitmap of another\n"
    "         size is placed as the Group and System Graphics window's Open\n"
    "         places it: a smaller one at the picture's top left, a larger one\n"
    "         on the window's 80 by 20 grid, so that the picture takes its\n"
    "         pixels from column 5 and row 4 on; the tool says so when it does.\n"
    "         A bitmap pixel is black unless it is pure white.\n"
    "         --slot   the buffer file's picture, 1 to 18 (default 1); writing\n"
    "                  into an existing buffer file replaces only that picture\n"
    "         --mcc, --mnc  the network code written into a .nol file (default:\n"
    "                  the one of a .nol input, else 0)\n";

enum class PictureForm { Bitmap, Ngg, Nol, Buffer };

// What a failed load says on the command line (the windows' "Aceess file
// error" names no file and no cause).
std::string loadProblem(LoadStatus status) {
  return status == LoadStatus::OpenFailed ? "cannot be opened" : "cannot be read as a picture of its kind";
}

std::optional<PictureForm> formOf(const std::string& name) {
  if (hasEnding(name, ".bmp")) return PictureForm::Bitmap;
  if (hasEnding(name, ".ngg")) return PictureForm::Ngg;
  if (hasEnding(name, ".nol")) return PictureForm::Nol;
  if (hasEnding(name, ".14")) return PictureForm::Buffer;
  return std::nullopt;
}

struct Options {
  std::vector<std::string> positional;
  std::optional<std::string> output, name, tempo, format, from, slot, mcc, mnc;
};

class Tool {
 public:
  Tool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  int run(const std::vector<std::string>& args) {
    if (args.empty()) return usage("no command given");
    if (args[0] != "tone" && args[0] != "picture" && args[0] != "--help" && args[0] != "-h")
      return usage("unknown command " + args[0]);
    for (const std::string& arg : args)
      if (arg == "--help" || arg == "-h") {
        out_ << kUsage;
        return 0;
      }
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
      const std::string& arg = args[i];
      std::optional<std::string>* slot = nullptr;
      if (arg == "-o" || arg == "--output") slot = &options.output;
      else if (arg == "--name") slot = &options.name;
      else if (arg == "--tempo") slot = &options.tempo;
      else if (arg == "--format") slot = &options.format;
      else if (arg == "--from") slot = &options.from;
      else if (arg == "--slot") slot = &options.slot;
      else if (arg == "--mcc") slot = &options.mcc;
      else if (arg == "--mnc") slot = &options.mnc;
      else if (arg.size() > 1 && arg[0] == '-') return usage("unknown option " + arg);
      else {
        options.positional.push_back(arg);
        continue;
      }
      if (i + 1 >= args.size()) return usage(arg + " needs a value");
      *slot = args[++i];
    }
    if (options.positional.size() != 1) return usage("give exactly one input file");
    if (!options.output) return usage("give the output file with -o");
    return args[0] == "tone" ? tone(options) : picture(options);
  }

 private:
  int usage(const std::string& why) {
    err_ << "phondeck-convert: " << why << "\n" << kUsage;
    return 2;
  }
  int fail(const std::string& why) {
    err_ << "phondeck-convert: " << why << "\n";
    return 1;
  }
  // A decimal option within a range; reports and gives nothing otherwise.
  std::optional<int> number(const std::optional<std::string>& text, const char* option, int low,
                            int high, int fallback) {
    if (!text) return fallback;
    const auto value = try_decimal_to_int(*text);
    if (!value) {
      fail(std::string(option) + ": " + ConversionError(*text).what());
      return std::nullopt;
    }
    if (*value < low || *value > high) {
      fail(std::string(option) + " must lie between " + std::to_string(low) + " and " +
           std::to_string(high));
      return std::nullopt;
    }
    return value;
  }
  int write(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
    if (!writeFileBytes(fileName, bytes)) return fail(fileName + ": cannot be written");
    return 0;
  }

  int tone(const Options& options) {
    const std::string& input = options.positional[0];
    const std::string format = options.format.value_or("ott");
    if (format != "ott" && format != "sms" && format != "codes")
      return usage("unknown format " + format + " (ott, sms or codes)");
    std::string from = options.from.value_or("");
    if (from.empty()) {
      from = hasEnding(input, ".rtttl") || hasEnding(input, ".rtx") ? "rtttl"
             : hasEnding(input, ".ott")                             ? "ott"
             : hasEnding(input, ".mid") || hasEnding(input, ".midi") ? "midi"
                                                                     : "ericsson";
    }
    if (from != "ericsson" && from != "rtttl" && from != "ott" && from != "midi")
      return usage("unknown input " + from + " (ericsson, rtttl, ott or midi)");

    std::ifstream in(input, std::ios::binary);
    if (!in) return fail(input + ": " + loadProblem(LoadStatus::OpenFailed));
    constexpr std::size_t kMaxText = 1u << 20;
    std::string text(kMaxText + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxText) return fail(input + ": too long for a tone");

    RingTone ringTone;
    std::size_t left_out = 0;
    if (from == "ericsson") {
      std::string problem;
      ringTone.notes = parseEricssonText(text, &problem);
      if (!problem.empty()) return fail(input + ": " + problem);
      const std::size_t fits = notes_that_fit(ringTone.notes);
      left_out = ringTone.notes.size() - fits;
      ringTone.notes.resize(fits);
    } else {
      const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
      ToneReading reading;
      if (from == "midi") {
        MidiReading midi = read_midi(bytes);
        reading.tone = std::move(midi.tone);
        reading.error = std::move(midi.error);
        reading.left_out = midi.left_out;
      } else {
        reading = from == "ott" ? read_ott(bytes) : read_rtttl(text);
      }
      if (!reading.ok()) return fail(input + ": " + describe(*reading.error));
      ringTone = std::move(reading.tone);
      if (ringTone.name.empty()) ringTone.name = RingTone().name;
      left_out = reading.left_out;
    }
    if (ringTone.notes.empty()) return fail(input + ": the melody has no notes");
    if (left_out > 0) {
      err_ << "phondeck-convert: warning: " << input
           << " is longer than a ringing tone holds: the tone ends after note " << ringTone.notes.size()
           << ", and the " << left_out << " notes after it were left out\n";
    }
    const auto bpm = number(options.tempo, "--tempo", 1, 1000, tempoOf(ringTone.tempoIndex));
    if (!bpm) return 1;
    if (options.name) {
      ringTone.name = *options.name;
      const std::u32string characters = utf8_to_code_points(ringTone.name);
      if (characters.size() > RingTone::kMaxNameLength) {
        ringTone.name = code_points_to_utf8(
            std::u32string_view(characters).substr(0, RingTone::kMaxNameLength));
        err_ << "phondeck-convert: warning: --name is cut to " << RingTone::kMaxNameLength
             << " characters: " << ringTone.name << "\n";
      }
    }

    if (format == "codes") {
      const std::string codes = toNoteCodes(ringTone.notes);
      return write(*options.output, std::vector<std::uint8_t>(codes.begin(), codes.end()));
    }
    std::vector<std::uint8_t> data = encodeRingingTone(ringTone, smartTempoCode(*bpm));
    if (format == "sms")
      data.insert(data.begin(), std::begin(kRingTonePortHeader), std::end(kRingTonePortHeader));
    return write(*options.output, data);
  }

  int picture(const Options& options) {
    const std::string& input = options.positional[0];
    const std::string& output = *options.output;
    const auto from = formOf(input);
    const auto to = formOf(output);
    if (!from) return fail(input + ": unknown kind of file (.bmp, .ngg, .nol or .14)");
    if (!to) return fail(output + ": unknown kind of file (.bmp, .ngg, .nol or .14)");
    const auto slot = number(options.slot, "--slot", 1, kBufferSlots, 1);
    if (!slot) return 1;

    PictureLoad load;
    if (*from == PictureForm::Buffer) {
      BufferLoad buffer = readBufferFile(input);
      load.status = buffer.status;
      if (buffer.ok()) load.picture = buffer.slots[static_cast<std::size_t>(*slot - 1)];
    } else if (*from == PictureForm::Bitmap) {
      load = readPictureFile(input);
    } else {
      load = readPixelTextFile(input);
    }
    if (load.status == LoadStatus::NotRecognised)
      return fail(input + ": not " + (*from == PictureForm::Ngg ? "an NGG" : "a NOL") + " file");
    if (!load.ok()) return fail(input + ": " + loadProblem(load.status));

    MonoBitmap picture = load.picture;
    if (*to != PictureForm::Bitmap && (picture.width() != kLogoWidth || picture.height() != kLogoHeight)) {
      PixelGridEditor grid(groupGraphicProfile());
      grid.combinePicture(picture);
      err_ << "phondeck-convert: " << input << " is " << picture.width() << " by " << picture.height()
           << " pixels; " << output << " holds 72 by 14: placed as the graphics window's Open places it ("
           << (picture.width() > kLogoWidth || picture.height() > kLogoHeight
                   ? "from column 5 and row 4 of the bitmap"
                   : "at the top left")
           << ")\n";
      picture = grid.picture();
    }
    switch (*to) {
      case PictureForm::Bitmap:
        return write(output, encodeWindowsBitmap(picture));
      case PictureForm::Ngg:
        return write(output, encodeNgg(picture));
      case PictureForm::Nol: {
        const auto mcc = number(options.mcc, "--mcc", 0, 999, load.mcc < 0 ? 0 : load.mcc);
        if (!mcc) return 1;
        const auto mnc = number(options.mnc, "--mnc", 0, 999, load.mnc < 0 ? 0 : load.mnc);
        if (!mnc) return 1;
        return write(output, encodeNol(picture, *mcc, *mnc));
      }
      case PictureForm::Buffer: {
        std::vector<MonoBitmap> slots(kBufferSlots, MonoBitmap(kLogoWidth, kLogoHeight));
        if (std::ifstream(output).good()) {
          BufferLoad existing = readBufferFile(output);
          if (!existing.ok()) return fail(output + ": " + loadProblem(existing.status));
          slots = std::move(existing.slots);
        }
        slots[static_cast<std::size_t>(*slot - 1)] = picture;
        return write(output, encodeBufferFile(slots));
      }
    }
    return 1;
  }

  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return Tool(out, err).run(args);
}

}  // namespace phondeck
