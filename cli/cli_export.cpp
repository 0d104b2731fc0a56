#include "cli/cli_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <fstream>

#include "cli/cli_arguments.h"
#include "session/dav_upload.h"
#include "session/handset_export.h"

namespace phondeck::cli {
namespace {

// The password typed on the terminal with its echo off; nullopt without a
// terminal.
std::optional<std::string> password_from_terminal(const std::string& user) {
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return std::nullopt;
  const std::string ask = "Password for " + user + ": ";
  if (::write(tty, ask.data(), ask.size()) < 0) {
    ::close(tty);
    return std::nullopt;
  }
  termios before{};
  const bool is_tty = ::tcgetattr(tty, &before) == 0;
  if (is_tty) {
    termios quiet = before;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(tty, TCSAFLUSH, &quiet);
  }
  std::string password;
  char ch = 0;
  bool ended = false;
  while (::read(tty, &ch, 1) == 1) {
    if (ch == '\n') {
      ended = true;
      break;
    }
    password += ch;
  }
  if (is_tty) ::tcsetattr(tty, TCSAFLUSH, &before);
  ::close(tty);
  if (!ended && password.empty()) return std::nullopt;
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return password;
}

std::int64_t now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Uploads the items; prints what became of them. True when every item is there.
bool upload(Context& c, const char* what, const std::string& url, const DavAccount& account,
            const std::vector<DavItem>& items, const std::string& content_type, Record& report) {
  auto progress = [&c, what](int done, int total) {
    if (c.terminal.err_is_terminal)
      c.terminal.err << "\r" << what << " " << done << "/" << total << std::flush;
  };
  const DavOutcome outcome = put_items(url, account, items, content_type, progress);
  if (c.terminal.err_is_terminal) c.terminal.err << "\r\x1b[K" << std::flush;
  report[what] = Record{{"url", url},
                        {"reached", outcome.reached},
                        {"created", outcome.created},
                        {"present", outcome.present},
                        {"failed", outcome.failed},
                        {"error", outcome.error}};
  if (!c.out.json()) {
    if (!outcome.reached || !outcome.error.empty()) {
      c.terminal.err << "phondeck: " << what << " " << url << ": " << outcome.error << "\n";
    } else {
      c.out.summary(std::string(what) + ": " + std::to_string(outcome.created) + " created, " +
                    std::to_string(outcome.present) + " already there, " +
                    std::to_string(outcome.failed.size()) + " failed");
      for (const std::string& failure : outcome.failed)
        c.terminal.err << "phondeck: " << failure << "\n";
    }
  }
  return outcome.reached && outcome.error.empty() && outcome.failed.empty();
}

}  // namespace

std::optional<std::string> password_from_file(const std::string& path, bool& shared) {
  struct stat about {};
  if (::stat(path.c_str(), &about) != 0) return std::nullopt;
  shared = (about.st_mode & (S_IRGRP | S_IROTH)) != 0;
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return in ? std::optional<std::string>("") : std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int export_for_new_phone(Context& c) {
  const Invocation& inv = c.inv;
  ExportOptions options;
  const std::string version = inv.value("--vcard");
  if (version == "4.0" || version == "4") {
    options.vcard_version = 4;
  } else if (!version.empty() && version != "3.0" && version != "3") {
    return usage(c, "--vcard takes 3.0 or 4.0, not " + version);
  }
  std::string country = inv.value("--country");
  if (inv.has("--country")) {
    if (country.size() != 2 || !std::isalpha(static_cast<unsigned char>(country[0])) ||
        !std::isalpha(static_cast<unsigned char>(country[1]))) {
      return usage(c,
                   "--country takes a two-letter country code (such as DE or GB), not " + country);
    }
    for (char& ch : country) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    options.country = country;
  }
  if (inv.has("--merge") && inv.has("--no-merge"))
    return usage(c, "--merge and --no-merge exclude each other");
  if (inv.has("--merge")) options.merge = true;
  if (inv.has("--no-merge")) options.merge = false;
  const std::string carddav = inv.value("--carddav");
  const std::string caldav = inv.value("--caldav");
  const bool uploading = !carddav.empty() || !caldav.empty();
  const std::string dir = inv.operands.empty() ? std::string() : inv.operands.front();
  if (dir.empty() && !uploading)
    return usage(c, "give the folder to write into (or --carddav/--caldav)");
  if (!uploading && (inv.has("--user") || inv.has("--password-file"))) {
    return usage(c, "--user and --password-file go with --carddav or --caldav");
  }

  // The password before the handset is read, so nobody waits at the end.
  DavAccount account;
  account.user = inv.value("--user");
  if (inv.has("--password-file")) {
    bool shared = false;
    const std::optional<std::string> password =
        password_from_file(inv.value("--password-file"), shared);
    if (!password)
      return failed(c, "cannot read the password file " + inv.value("--password-file"));
    if (shared)
      c.terminal.err << "phondeck: warning: others may read the password file "
                     << inv.value("--password-file") << "\n";
    account.password = *password;
  } else if (uploading && !account.user.empty()) {
    const std::optional<std::string> password = password_from_terminal(account.user);
    if (!password)
      return failed(c, "no terminal to ask the password on: give --password-file FILE");
    account.password = *password;
  }

  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  HandsetExport exporter(s->session(), s->prompt(),
                         [s](const std::function<bool(StartOptions)>& start) { return s->run_operation(start); });
  if (c.terminal.err_is_terminal) {
    exporter.set_part_listener([&c](int index, int count, const std::string& title) {
      if (!title.empty())
        c.terminal.err << "[" << index + 1 << "/" << count << "] " << title << "\n";
    });
  }
  options.now_ms = now_ms();
  const ExportResult result = exporter.run(dir, options);
  const ExportCounts& n = result.counts;
  Record report{{"dir", dir},
                {"complete", result.complete},
                {"stopped", result.stopped},
                {"ended", describe(result.ended)},
                {"files", result.written},
                {"entries", n.entries},
                {"contacts_unmerged", n.contacts_unmerged},
                {"contacts", n.contacts},
                {"merged_duplicates", n.merged_duplicates},
                {"left_out", n.left_out},
                {"offers", n.offers},
                {"offers_merged", n.offers_merged},
                {"messages", n.messages},
                {"events", n.events},
                {"country", result.country},
                {"absent", result.absent}};
  if (!c.out.json()) {
    c.out.summary(result.summary());
    if (n.offers > 0 && !n.offers_merged && !options.merge) {
      c.terminal.err << "phondeck: export again with --merge to merge them, or --no-merge to keep "
                        "them apart\n";
    }
  }
  bool ok = result.complete;
  if (ok && !carddav.empty()) {
    ok = upload(c, "CardDAV", carddav, account, vcard_items(result.vcf),
                "text/vcard; charset=utf-8", report) &&
         ok;
  }
  if (result.complete && !caldav.empty()) {
    if (result.ics.empty()) {
      c.terminal.err << "phondeck: this model has no calendar: nothing for " << caldav << "\n";
    } else {
      ok = upload(c, "CalDAV", caldav, account, icalendar_items(result.ics),
                  "text/calendar; charset=utf-8", report) &&
           ok;
    }
  }
  if (c.out.json()) c.out.object(report);
  if (!result.complete) s->fail("the export is incomplete: " + result.stopped);
  return ok ? kExitOk : kExitFailed;
}

}  // namespace phondeck::cli
