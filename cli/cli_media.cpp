#include "cli/cli_media.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "app/configuration.h"
#include "app/text_table.h"
#include "cli/cli_messages.h"
#include "link/start_questions.h"
#include "media/graphics_family.h"
#include "media/picture_files.h"
#include "media/picture_placement.h"
#include "media/ring_tone_window.h"
#include "media/startup_graphic_family.h"
#include "organiser/graphics_sms.h"

namespace phondeck::cli {

namespace {

struct ToneWindow {
  explicit ToneWindow(CliSession& s) : logic(s.engine(), s.session().media().ring_tone(), s.prompt()) {}
  RingToneWindowLogic logic;
};

// The tone of FILE as the Ringing Tone window opens it (RTTTL, .ott, MIDI),
// or, with --as, the file's text on that melody page. False: said why.
bool load_tone(Context& c, RingToneWindowLogic& logic, int& status) {
  const std::string file = c.inv.operands.at(0);
  status = kExitFailed;
  if (!c.inv.has("--as")) return logic.open_file(file);
  const std::string as = c.inv.value("--as");
  const int page = as == "ericsson" ? RingToneWindowLogic::kEricssonPage
                   : as == "nokia"  ? RingToneWindowLogic::kNokiaPage
                   : as == "siemens" ? RingToneWindowLogic::kSiemensPage
                                     : -1;
  if (page < 0) {
    status = usage(c, "--as is ericsson, nokia or siemens");
    return false;
  }
  std::string text;
  if (!read_file(file, text)) {
    failed(c, "cannot read " + file);
    return false;
  }
  logic.set_text(page, text);
  logic.set_page(page);
  return true;
}

// Which picture a logo command names: "caller" (with its group 1..5 where
// asked), "operator" or "startup"; the operands after it.
struct LogoTarget {
  enum Kind { Caller, Operator, Startup } kind = Caller;
  int group = 0;  // 0..4
  std::size_t rest = 1;
};

std::optional<LogoTarget> logo_target(Context& c, bool with_group, bool startup_allowed) {
  const std::string& what = c.inv.operands.at(0);
  LogoTarget t;
  if (what == "caller") {
    t.kind = LogoTarget::Caller;
    if (with_group) {
      const auto group = c.inv.operands.size() > 1 ? number_in(c.inv.operands[1], 1, kCallerGroups) : std::nullopt;
      if (!group) {
        usage(c, "caller needs a group from 1 to 5");
        return std::nullopt;
      }
      t.group = *group - 1;
      t.rest = 2;
    }
  } else if (what == "operator") {
    t.kind = LogoTarget::Operator;
  } else if (what == "startup" && startup_allowed) {
    t.kind = LogoTarget::Startup;
  } else {
    usage(c, "not a logo: " + what);
    return std::nullopt;
  }
  return t;
}

// The extension of a picture file, lower case.
std::string picture_kind(const std::string& path) {
  std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

// The network code of --mcc and --mnc, else the one a NOL file gives.
bool network_code(Context& c, const PictureLoad& load, int& mcc, int& mnc, int& status) {
  mcc = load.mcc;
  mnc = load.mnc;
  if (c.inv.has("--mcc")) {
    const auto m = number_in(c.inv.value("--mcc"), 0, 999);
    const auto n = number_in(c.inv.value("--mnc"), 0, 99);
    if (!m || !n) {
      status = usage(c, "--mcc is 0..999 and --mnc 0..99");
      return false;
    }
    mcc = *m;
    mnc = *n;
  }
  if (mcc < 0 || mnc < 0) {
    status = usage(c, "an operator logo needs --mcc and --mnc (or a .nol file that gives them)");
    return false;
  }
  return true;
}

// --mcc and --mnc come together, and only for the operator logo.
bool network_options_fit(Context& c, const LogoTarget& target, int& status) {
  if (target.kind != LogoTarget::Operator && (c.inv.has("--mcc") || c.inv.has("--mnc"))) {
    status = usage(c, "--mcc and --mnc are for the operator logo");
    return false;
  }
  if (c.inv.has("--mcc") != c.inv.has("--mnc")) {
    status = usage(c, "give --mcc and --mnc together");
    return false;
  }
  return true;
}

// A picture file: .bmp, .ngg or .nol.
std::optional<PictureLoad> load_picture(Context& c, const std::string& path, int& status) {
  const std::string ext = picture_kind(path);
  if (ext != ".bmp" && ext != ".ngg" && ext != ".nol") {
    status = usage(c, "a picture is a .bmp, .ngg or .nol file");
    return std::nullopt;
  }
  PictureLoad load = readPixelTextFile(path);
  if (!load.ok()) {
    const std::string why = loadErrorText(load.status);
    status = failed(c, path + ": " + (why.empty() ? std::string("not a picture") : why));
    return std::nullopt;
  }
  return load;
}

// The picture of logo set and logo send (the first operand) with its
// network code for the operator logo.
struct LogoInput {
  PictureLoad load;  // its picture placed into the target's size
  int mcc = 0;
  int mnc = 0;
  std::string placed;  // how a picture of another size was placed, "" for none
};

std::optional<LogoInput> logo_input(Context& c, const LogoTarget& target, int& status) {
  if (!network_options_fit(c, target, status)) return std::nullopt;
  const std::string& file = c.inv.operands[1];
  auto load = load_picture(c, file, status);
  if (!load) return std::nullopt;
  // A picture of another size goes in as the graphics window's Open places
  // it; one far larger (a startup graphic for a logo) only with --place.
  const EditorProfile& profile =
      target.kind == LogoTarget::Startup ? startupGraphicProfile() : groupGraphicProfile();
  if (far_larger(load->picture, profile) && !c.inv.has("--place")) {
    status = failed(c, file + " is " + std::to_string(load->picture.width()) + " by " +
                           std::to_string(load->picture.height()) + " pixels, more than twice the " +
                           std::to_string(profile.pictureWidth) + " by " + std::to_string(profile.pictureHeight) +
                           " picture; --place places it all the same, as the graphics window's Open does");
    return std::nullopt;
  }
  const PlacedPicture placed = place_picture(load->picture, profile);
  load->picture = placed.picture;
  LogoInput input{std::move(*load), 0, 0, {}};
  if (placed.placement != Placement::AsIs) input.placed = file + " is " + placement_text(placed, profile);
  if (target.kind == LogoTarget::Operator && !network_code(c, input.load, input.mcc, input.mnc, status)) {
    return std::nullopt;
  }
  return input;
}

// A write's start options: the write confirmation answered by --yes or the
// terminal.
StartOptions confirmed(CliSession& s, StartOptions options) {
  options.confirmed = ask_write_confirmation(s.engine(), s.prompt());
  return options;
}

// Write into Group: the picture as group `index`'s logo (0..4), the group
// read back; a group that still differs ends Failed with its message said.
int logo_into_group(Context& c, CliSession& s, int index, const MonoBitmap& picture, const std::string& placed) {
  MediaFamilies& media = s.session().media();
  const OperationResult result = s.run_operation([&](StartOptions options) {
    return start_group_logo_write(s.engine(), media.group_write(), index, picture, confirmed(s, std::move(options)));
  });
  if (!result.done()) return kExitFailed;
  std::string name = media.caller_groups().at(index).display_name();
  if (name.empty()) name = config().GroupName[static_cast<std::size_t>(index)];
  c.out.summary("logo written into group " + std::to_string(index + 1) + " (" + name + ")" +
                (placed.empty() ? std::string() : "; " + placed));
  return kExitOk;
}

}  // namespace

int ringtone_write(Context& c) {
  CliSession& s = c.handset();
  ToneWindow w(s);
  int status = kExitOk;
  if (!load_tone(c, w.logic, status)) return status;
  if (!s.connect()) return kExitFailed;
  if (!s.run_operation([&](StartOptions options) { return w.logic.write(std::move(options)); }).done()) {
    return kExitFailed;
  }
  c.out.summary("ringing tone " + w.logic.name() + " written");
  return kExitOk;
}

int ringtone_send(Context& c) {
  CliSession& s = c.handset();
  ToneWindow tone(s);
  MessageWindows w(s);
  int status = kExitOk;
  if (!load_tone(c, tone.logic, status)) return status;
  tone.logic.on_send = [&](const SmartSms& message) { fill_outgoing(w.family.records().outgoing, message); };
  if (!tone.logic.send()) return kExitFailed;
  return send_outgoing(c, s, w, 1);
}

int logo_get(Context& c) {
  const auto target = logo_target(c, true, true);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() != target->rest) return usage(c, "unexpected " + c.inv.operands.back());
  const std::string file = c.inv.value("-o");
  const std::string ext = picture_kind(file);
  const bool small_form = ext == ".ngg" || ext == ".nol";
  if (!c.inv.has("-o") || (ext != ".bmp" && !small_form) || (target->kind == LogoTarget::Startup && small_form)) {
    return usage(c, target->kind == LogoTarget::Startup ? "-o needs a .bmp file" : "-o needs a .bmp, .ngg or .nol file");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MediaFamilies& media = s->session().media();
  GraphicsRecords& records = media.graphics_records();
  MonoBitmap picture;
  int mcc = 0;
  int mnc = 0;
  const OperationResult read = s->run_operation([&](StartOptions options) {
    switch (target->kind) {
      case LogoTarget::Caller:
        return start_group_read(s->engine(), media.graphics(), GroupReadPurpose::Graphics, std::move(options));
      case LogoTarget::Operator: return start_system_logo_read(s->engine(), media.graphics(), std::move(options));
      case LogoTarget::Startup: return start_startup_read(s->engine(), media.startup_graphic(), std::move(options));
    }
    return false;
  });
  if (!read.done()) return kExitFailed;
  switch (target->kind) {
    case LogoTarget::Caller: picture = records.groups.at(target->group).picture(); break;
    case LogoTarget::Operator:
      picture = records.operator_logo.picture;
      mcc = records.operator_logo.mcc;
      mnc = records.operator_logo.mnc;
      break;
    case LogoTarget::Startup: picture = records.startup; break;
  }
  const bool written = ext == ".ngg"   ? writeNggFile(file, picture)
                       : ext == ".nol" ? writeNolFile(file, picture, mcc, mnc)
                                       : writeBitmapFile(file, picture);
  if (!written) return failed(c, "cannot write " + file);
  c.out.summary("logo written to " + file);
  return kExitOk;
}

int logo_set(Context& c) {
  const auto target = logo_target(c, false, true);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() != 2) return usage(c, "logo set needs one FILE");
  std::optional<int> group;
  if (c.inv.has("--group")) {
    if (target->kind != LogoTarget::Caller) return usage(c, "--group is for a caller-group logo");
    group = number_in(c.inv.value("--group"), 1, kCallerGroups);
    if (!group) return usage(c, "--group is a group from 1 to 5");
  }
  int status = kExitOk;
  const auto input = logo_input(c, *target, status);
  if (!input) return status;
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MediaFamilies& media = s->session().media();
  if (group) return logo_into_group(c, *s, *group - 1, input->load.picture, input->placed);
  const MonoBitmap& picture = input->load.picture;
  const OperationResult written = s->run_operation([&](StartOptions options) {
    switch (target->kind) {
      case LogoTarget::Caller:
        return start_group_graphic_write(s->engine(), media.graphics(), picture, std::move(options));
      case LogoTarget::Operator:
        return start_system_logo_write(s->engine(), media.graphics(), picture, input->mcc, input->mnc,
                                       confirmed(*s, std::move(options)));
      case LogoTarget::Startup:
        return start_startup_write(s->engine(), media.startup_graphic(), picture, confirmed(*s, std::move(options)));
    }
    return false;
  });
  if (!written.done()) return kExitFailed;
  c.out.summary("logo written to the handset" + (input->placed.empty() ? std::string() : "; " + input->placed));
  return kExitOk;
}

int logo_send(Context& c) {
  const auto target = logo_target(c, false, false);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() < 3) return usage(c, "logo send needs a FILE and a NUMBER");
  int status = kExitOk;
  const auto input = logo_input(c, *target, status);
  if (!input) return status;
  if (!input->placed.empty()) c.terminal.err << "phondeck: " << input->placed << "\n";
  CliSession& s = c.handset();
  MessageWindows w(s);
  OutgoingSms& outgoing = w.family.records().outgoing;
  if (target->kind == LogoTarget::Caller) {
    fill_group_graphic_sms(outgoing, input->load.picture);
  } else {
    // Tells this logo's two parts from another message's at the receiver.
    fill_operator_logo_sms(outgoing, input->load.picture, input->mcc, input->mnc,
                           w.family.records().references.take());
  }
  return send_outgoing(c, s, w, 2);
}

int reset_phone(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  StartupGraphicFamily& family = s->session().media().startup_graphic();
  const OperationResult reset = s->run_operation([&](StartOptions options) {
    return start_phone_reset(s->engine(), family, confirmed(*s, std::move(options)));
  });
  if (!reset.done()) return kExitFailed;
  c.out.summary("the handset restarts");
  return kExitOk;
}

}  // namespace phondeck::cli
