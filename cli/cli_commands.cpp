// The one table of subcommands: their words, usage and help, and the handler
// each runs. The handlers live by area, each area's in cli/cli_AREA.cpp and
// declared in cli/cli_AREA.h (phone book, messages, calendar, media,
// settings); a new area adds its pair of files, includes its header here and
// names its handlers in the table's rows, in the order --help lists them.
#include <ctime>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/version.h"
#include "cli/cli_backup.h"
#include "cli/cli_calendar.h"
#include "cli/cli_context.h"
#include "cli/cli_export.h"
#include "cli/cli_media.h"
#include "cli/cli_messages.h"
#include "cli/cli_phonebook.h"
#include "cli/cli_probe.h"
#include "cli/cli_settings.h"
#include "cli/phondeck.h"
#include "platform/device_choice.h"
#include "sim/models.h"

namespace phondeck::cli {

namespace {

using Handler = int (*)(Context&);

struct Command {
  CommandSpec spec;
  Handler run;
};

const std::vector<Command>& command_table() {
  static const std::vector<Command> table = {
      {{"identify", "", "Shows the handset's IMEI, maker, model, versions, battery, signal and network.",
        "Prints one record: imei, manufacturer, type, model, frequency, assembled_in,\n"
        "hardware_version, firmware_version, battery, signal and network (MCC MNC, or\n"
        "- until the handset has reported it).\n",
        {}, 0, 0},
       identify},
      {{"probe", "[DEVICE...] [--save]", "Searches the serial devices for the handset.",
        "Tries each DEVICE (every serial device of this computer when none is given:\n"
        "ttyS* with a UART, ttyUSB*, ttyACM*) with the cable and with the infrared\n"
        "adapter, at most 3 s each, and prints one line per device: its result\n"
        "(answered, silent, busy, not permitted, not a serial port, gone), the media,\n"
        "model and IMEI of a handset that answered, or why not, and what the device is\n"
        "(its USB chip and driver). Exit status 1 when no handset answered.\n"
        "  --save   write Device= and Type= of the first handset that answered into\n"
        "           tv.dat (the rest of the file stays as it is)\n",
        {{"--save", false}}, 0, -1},
       probe},
      {{"phonebook read", "[--memory phone|sim] [-o FILE.vcf|FILE.csv]",
        "Reads the phone book: the phone memory, then the SIM.",
        "Without -o, one line per entry: memory, position, name, number, group.\n"
        "  --memory phone|sim   only the entries of that memory\n"
        "  -o, --output FILE    write a vCard (.vcf) or CSV (.csv) file instead\n",
        {{"--memory", true}, {"-o", true, "--output"}}, 0, 0},
       phonebook_read},
      {{"phonebook write", "FILE.vcf|FILE.csv [--replace]",
        "Writes every entry of the file into the handset (Write All).",
        "Entries go to the memory and position the file gives; those without a\n"
        "position take the handset's free positions.\n"
        "  --replace   clear the positions of the handset that the file does not use\n",
        {{"--replace", false}}, 1, 1},
       phonebook_write},
      {{"sms list", "[--folder inbox|outbox] [--parts]", "Reads the messages the handset holds.",
        "One line per message: location, folder, status, number, time, parts, text.\n"
        "A message sent in parts is one line, its parts joined (\"[3]\"; \"[2/3]\"\n"
        "when a part is missing, its gap marked in the text).\n"
        "  --folder inbox|outbox   only that folder's messages\n"
        "  --parts                 every part on its own line (\"2/3\")\n",
        {{"--folder", true}, {"--parts", false}}, 0, 0},
       sms_list},
      {{"sms send", "NUMBER... --text TEXT|--file FILE [--validity CODE]",
        "Sends one message to each NUMBER through the handset.",
        "One line per number: number, sent (true or false), result. Exit status 1\n"
        "unless every message was sent.\n"
        "  --text TEXT       the message (line breaks as in the text)\n"
        "  --file FILE       the message from a UTF-8 text file\n"
        "  --validity CODE   relative validity 0..200 (default 167, a day)\n",
        {{"--text", true}, {"--file", true}, {"--validity", true}}, 1, -1},
       sms_send},
      {{"sms write", "--text TEXT|--file FILE", "Writes a message into the handset's outbox.",
        "  --text TEXT   the message\n  --file FILE   the message from a UTF-8 text file\n",
        {{"--text", true}, {"--file", true}}, 0, 0},
       sms_write},
      {{"sms delete", "LOCATION...", "Deletes the messages at these locations (see sms list).", "", {}, 1, -1},
       sms_delete},
      {{"sms archive", "DIR [--delete]", "Writes every message into DIR, one file each, with an index.",
        "Each message goes into DIR (made when missing) as a text file named by its\n"
        "time stamp and sender; messages.json lists them. The summary says how many\n"
        "were written and deleted.\n"
        "  --delete   then delete from the handset each message whose file is written\n"
        "             and synced to disk; a message that arrives meanwhile stays\n",
        {{"--delete", false}}, 1, 1},
       sms_archive},
      {{"smsc get", "", "Shows the message-centre number.", "", {}, 0, 0}, smsc_get},
      {{"smsc set", "NUMBER", "Sets the message-centre number.", "", {}, 1, 1}, smsc_set},
      {{"calendar read", "[-o FILE.ics]", "Reads the calendar notes.",
        "Without -o, one line per note: location, date, time (- for all day), type,\n"
        "text, number (a Call note's), alarm.\n"
        "  -o, --output FILE   write an iCalendar file instead\n",
        {{"-o", true, "--output"}}, 0, 0},
       calendar_read},
      {{"calendar write", "FILE.ics", "Replaces the handset's calendar notes with the file's events.",
        "Events the handset cannot hold as they are are changed to fit; each change\n"
        "is told on standard error.\n",
        {}, 1, 1},
       calendar_write},
      {{"clock set", "[--now|TIME]", "Sets the handset's clock: to this computer's, or to TIME.",
        "TIME is YYYY-MM-DD HH:MM[:SS] in local time.\n", {{"--now", false}}, 0, 2},
       clock_set},
      {{"clock get", "", "Shows the handset's clock, or that it is not set.", "", {}, 0, 0}, clock_get},
      {{"alarm get", "", "Shows the daily diary alarm.", "", {}, 0, 0}, alarm_get},
      {{"alarm set", "HH:MM", "Sets the daily diary alarm and switches it on.", "", {}, 1, 1}, alarm_set},
      {{"alarm off", "", "Switches the daily diary alarm off.", "", {}, 0, 0}, alarm_off},
      {{"logo get", "caller N|operator|startup -o FILE",
        "Reads a caller group's logo (N 1..5), the operator logo or the startup graphic.",
        "  -o, --output FILE   a .bmp, .ngg (caller group) or .nol (operator, with its\n"
        "                      network code) file; the startup graphic as .bmp\n",
        {{"-o", true, "--output"}}, 1, 2},
       logo_get},
      {{"logo set", "caller|operator|startup FILE [--group N] [--mcc M --mnc N] [--place]",
        "Writes a picture into the handset as the caller-group, operator or startup graphic.",
        "FILE is a .bmp, .ngg or .nol file. A caller-group picture goes to the\n"
        "handset as a picture message, which the handset offers to keep for a group.\n"
        "  --group N         write it straight into caller group N (1..5) as its logo,\n"
        "                    keeping the group's name and ringing tone; the group is\n"
        "                    read back\n"
        "  --mcc M --mnc N   the operator logo's network code (else the .nol file's)\n"
        "A bitmap of another size is placed as the Group and System Graphics window's\n"
        "Open places it (a smaller one at the top left, a larger one from column 5 and\n"
        "row 4 of the bitmap for a logo), and the summary says so. A bitmap more than\n"
        "twice as wide or as high as the picture (a startup graphic for a logo) is\n"
        "refused unless --place says to place it all the same.\n",
        {{"--group", true}, {"--mcc", true}, {"--mnc", true}, {"--place", false}}, 2, 2},
       logo_set},
      {{"logo send", "caller|operator FILE NUMBER... [--mcc M --mnc N] [--place]",
        "Sends a caller-group graphic or an operator logo to each NUMBER.",
        "One line per number, as sms send prints them. A bitmap of another size is\n"
        "placed as logo set places it, and --place as there.\n"
        "  --mcc M --mnc N   the operator logo's network code (else the .nol file's)\n",
        {{"--mcc", true}, {"--mnc", true}, {"--place", false}}, 3, -1},
       logo_send},
      {{"ringtone write", "FILE [--as ericsson|nokia|siemens]", "Writes a ringing tone into the handset.",
        "FILE is read as the Ringing Tone window opens it: RTTTL (.rtttl, .txt),\n"
        "Smart Messaging (.ott) or MIDI (.mid, .midi).\n"
        "  --as NOTATION   read FILE as Ericsson, Nokia or Siemens melody text\n",
        {{"--as", true}}, 1, 1},
       ringtone_write},
      {{"ringtone send", "FILE NUMBER... [--as ericsson|nokia|siemens]",
        "Sends a ringing tone to each NUMBER as a Smart Messaging message.",
        "FILE as for ringtone write; one line per number, as sms send prints them.\n"
        "  --as NOTATION   read FILE as Ericsson, Nokia or Siemens melody text\n",
        {{"--as", true}}, 2, -1},
       ringtone_send},
      {{"profiles get", "", "Reads the seven profiles.",
        "One line per profile: number, name, the nine settings (call-alert,\n"
        "ringing-tone, ringing-volume, vibrating-alert, message-tone, keypad-tones,\n"
        "warning-tones, lights, automatic-answer) and the caller groups that ring.\n",
        {}, 0, 0},
       profiles_get},
      {{"profiles set", "N FEATURE VALUE", "Changes one setting of profile N (1..7) in the handset.",
        profiles_details_text(), {}, 3, 3},
       profiles_set},
      {{"profiles activate", "N", "Switches the handset to profile N (1..5).", "", {}, 1, 1},
       profiles_activate},
      {{"reset-phone", "", "Restarts the handset.", "", {}, 0, 0}, reset_phone},
      {{"backup", "FILE.zip [--verify]", "Backs up the whole handset into one archive.",
        "Reads every part the model has (phone book, messages, calendar, caller groups\n"
        "and their logos, operator logo, startup graphic, profiles, message centre and\n"
        "alarm) and writes a ZIP archive of standard files with a manifest.json of\n"
        "their sizes and SHA-256 sums. The file appears only when every part was read.\n"
        "A FILE without an ending gets .zip; another ending than .zip is refused.\n"
        "  --verify   read every part twice and compare; a part whose reads differ is\n"
        "             read again until two reads agree (a noisy line can change a\n"
        "             frame in a way its checksums do not see); the summary says how\n"
        "             many records needed it\n",
        {{"--verify", false}}, 1, 1},
       backup},
      {{"restore", "FILE.zip [--only PARTS] [--dry-run] [--no-received] [--ignore-checksums]",
        "Writes a backup back into the handset.",
        "The archive is checked first; a bad one is refused and nothing is written.\n"
        "Parts are written in this order, then each is read back and compared:\n"
        "settings, groups, operator, startup, profiles, calendar, phonebook, messages.\n"
        "Before writing it asks once, naming what is replaced (the phone book and the\n"
        "calendar are replaced whole) and, for a backup of another handset, both\n"
        "handsets; --yes answers.\n"
        "The handset stores written messages in its outbox: a received message goes\n"
        "back as an unsent outbox draft without its time stamp, and the summary says so.\n"
        "  --only PARTS        those parts, separated by commas, or all; without it\n"
        "                      every part but messages (stored only when named)\n"
        "  --dry-run           show what would change on the handset, write nothing\n"
        "  --no-received       leave the backup's received messages out\n"
        "  --ignore-checksums  restore a backup whose files were changed after it was\n"
        "                      written (their SHA-256 no longer matches), naming them\n",
        {{"--only", true}, {"--dry-run", false}, {"--no-received", false}, {"--ignore-checksums", false}}, 1, 1},
       restore},
      {{"export", "DIR [--vcard 3.0|4.0] [--country CC] [--merge|--no-merge] [--carddav URL] [--caldav URL] "
                  "[--user NAME] [--password-file FILE]",
        "Exports contacts, messages and calendar for a new phone or program.",
        "Reads the phone book (both memories), the messages (every folder) and the\n"
        "calendar, then writes into DIR (made when missing, for its owner only):\n"
        "contacts.vcf (vCard), messages.xml (for the Android app SMS Backup & Restore),\n"
        "messages.mbox (for mail programs), calendar.ics (iCalendar) and README.txt,\n"
        "which says how to import each. Nothing is written unless every part was read.\n"
        "Numbers go into international form for --country, else the country of the\n"
        "handset's network (asked of the handset when it has not said), else the locale.\n"
        "Entries that differ only by a marker (\"Bob H\", \"Bob W\") are offered as one\n"
        "contact with typed numbers; without --merge or --no-merge the question is\n"
        "asked (--yes answers it).\n"
        "  --vcard 3.0|4.0       the vCard version (default 3.0)\n"
        "  --country CC          the numbers' country (such as DE), over the network's\n"
        "  --merge, --no-merge   merge the entries offered as one contact, or not\n"
        "  --carddav URL         put each contact into this CardDAV address book\n"
        "  --caldav URL          put each event into this CalDAV calendar\n"
        "  --user NAME           the server's user; the password is asked on the\n"
        "                        terminal, never taken from the command line\n"
        "  --password-file FILE  the password from the first line of FILE\n"
        "With a server DIR may be left out. What the server holds already stays as it\n"
        "is. Exit status 1 unless every part was read and written (and uploaded).\n",
        {{"--vcard", true},
         {"--country", true},
         {"--merge", false},
         {"--no-merge", false},
         {"--carddav", true},
         {"--caldav", true},
         {"--user", true},
         {"--password-file", true}},
        0, 1},
       export_for_new_phone},
      {{"netmonitor on", "", "Switches the handset's net monitor display on.", "", {}, 0, 0}, net_monitor_on},
      {{"netmonitor off", "", "Switches the handset's net monitor display off.", "", {}, 0, 0},
       net_monitor_off},
  };
  return table;
}

std::vector<CommandSpec> command_specs() {
  std::vector<CommandSpec> specs;
  for (const Command& c : command_table()) specs.push_back(c.spec);
  return specs;
}

// The settings of tv.dat, then the global options; kExitOk, or the status
// after the error has been told.
// "2026-12-09 17:05:03 UTC": when the link log began.
std::string log_start_time() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

int configure(const std::string& config_path, const GlobalOptions& options, std::ostream& err) {
  set_configuration_path(config_path);
  try {
    load_configuration();
  } catch (const std::exception& e) {
    err << "phondeck: " << config_path << ": " << e.what() << "\n";
    return kExitFailed;
  }
  if (options.device) config().Device = *options.device;
  if (options.infrared) config().Type = 0;
  const DeviceChoice choice = device_choice(config().Device);
  if (choice.virtual_handset && sim::find_model(choice.model) == nullptr) {
    err << "phondeck: no virtual handset of model " << choice.model << "\n";
    return options.device ? kExitUsage : kExitFailed;
  }
  return kExitOk;
}

}  // namespace

const std::vector<CommandSpec>& phondeck_commands() {
  static const std::vector<CommandSpec> specs = command_specs();
  return specs;
}

int run_phondeck(const std::vector<std::string>& args, Terminal& terminal, const std::string& config_path) {
  const std::vector<CommandSpec>& specs = phondeck_commands();
  Invocation inv = parse_arguments(args, specs);
  if (inv.help && inv.error.empty()) {
    if (inv.command != nullptr) {
      terminal.out << command_help(*inv.command);
    } else if (!inv.family.empty()) {
      terminal.out << family_help(inv.family, specs);
    } else {
      terminal.out << overview_help(specs);
    }
    return kExitOk;
  }
  if (!inv.error.empty()) {
    terminal.err << "phondeck: " << inv.error << "\n(phondeck "
                 << (inv.command != nullptr ? std::string(inv.command->words) + " --help"
                     : inv.family.empty()   ? std::string("--help lists the commands")
                                            : inv.family + " --help")
                 << ")\n";
    return kExitUsage;
  }
  if (inv.globals.version) {
    terminal.out << "phondeck " << version_text() << "\n";
    return kExitOk;
  }
  if (const int status = configure(config_path, inv.globals, terminal.err); status != kExitOk) return status;
  std::unique_ptr<LinkLogFile> log_file;
  if (inv.globals.log_file) {
    log_file = std::make_unique<LinkLogFile>(*inv.globals.log_file);
    if (!log_file->ok()) {
      terminal.err << "phondeck: cannot write the link log " << *inv.globals.log_file << ": " << log_file->error()
                   << "\n";
      return kExitFailed;
    }
    log_file->write_line("phondeck " + version_text() + ", link log of " + log_start_time());
  }
  Context context{inv, terminal, Output(terminal.out, inv.globals.json, inv.globals.quiet), nullptr};
  context.log_file = log_file.get();
  context.device_unset = !inv.globals.device && config().Device.empty() && !std::filesystem::exists(config_path);
  const std::size_t index = static_cast<std::size_t>(inv.command - specs.data());
  const int status = command_table().at(index).run(context);
  terminal.out.flush();
  return status;
}

}  // namespace phondeck::cli
