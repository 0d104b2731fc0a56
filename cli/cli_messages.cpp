#include "cli/cli_messages.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/text_table.h"
#include "link/start_questions.h"
#include "organiser/message_archive.h"

namespace phondeck::cli {

namespace {

// The texts the messages use.
constexpr int kTextAskClear = 3200;

// The message text of --text or --file (one line break at its end dropped).
std::optional<std::string> message_text(Context& c) {
  if (c.inv.has("--text") == c.inv.has("--file")) {
    usage(c, "give the message as --text TEXT or --file FILE");
    return std::nullopt;
  }
  if (c.inv.has("--text")) return c.inv.value("--text");
  std::string bytes;
  if (!read_file(c.inv.value("--file"), bytes)) {
    failed(c, "cannot read " + c.inv.value("--file"));
    return std::nullopt;
  }
  if (!bytes.empty() && bytes.back() == '\n') bytes.pop_back();
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  std::string lines;
  for (char ch : bytes) {
    if (ch != '\r') lines += ch;
  }
  return lines;
}

OperationResult read_messages(CliSession& s, MessageWindows& w) {
  return s.run_operation([&](StartOptions options) { return w.messages.read(std::move(options)); });
}

}  // namespace

int sms_list(Context& c) {
  std::optional<SmsFolder> folder;
  if (c.inv.has("--folder")) {
    const std::string f = c.inv.value("--folder");
    if (f != "inbox" && f != "outbox") return usage(c, "--folder is inbox or outbox");
    folder = f == "inbox" ? SmsFolder::Inbox : SmsFolder::Outbox;
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  const OperationResult read = read_messages(*s, w);
  const bool complete = read.done();
  const MessageStore& store = w.family.records().store;
  // A read the link cut short lists the messages it read, said to be
  // partial, exit status 1.
  if (!complete && (store.size() == 0 || read.ending != Ending::LinkLost)) return kExitFailed;
  // The parts of a message joined (in the order of their first part), or
  // every record by itself with --parts.
  std::vector<JoinedMessage> messages;
  for (const SmsFolder f : {SmsFolder::Inbox, SmsFolder::Outbox}) {
    if (folder && f != *folder) continue;
    if (c.inv.has("--parts")) {
      for (const std::size_t i : store.folder(f)) messages.push_back({{i}, store.at(i).Text, 0});
    } else {
      const std::vector<JoinedMessage> joined = store.joined(f);
      messages.insert(messages.end(), joined.begin(), joined.end());
    }
  }
  std::stable_sort(messages.begin(), messages.end(),
                   [](const JoinedMessage& a, const JoinedMessage& b) { return a.records.front() < b.records.front(); });
  if (messages.empty()) c.out.header({"location", "folder", "status", "number", "time", "parts", "text"});
  for (const JoinedMessage& joined : messages) {
    const SmsRecord& m = store.at(joined.records.front());
    const bool inbox = record_in_folder(m, SmsFolder::Inbox);
    const char* status = m.Type == "1" ? "read" : m.Type == "3" ? "unread" : m.Type == "5" ? "sent" : "unsent";
    Record r;
    r["location"] = number_in(m.Pos, 0, 1 << 20).value_or(0);
    r["folder"] = inbox ? "inbox" : "outbox";
    r["status"] = status;
    r["number"] = m.Phone;
    r["time"] = m.Time.empty() ? Record() : Record(m.Time);
    // The instant with its zone, for programs; the table keeps its columns.
    if (c.out.json()) r["stamp"] = m.Stamp.empty() ? Record() : Record(m.Stamp);
    // A message in parts: "[3]", or "[2/3]" with a part missing.
    r["parts"] = joined.mark();
    if (c.inv.has("--parts") && m.ConcatTotal > 1) {
      r["parts"] = std::to_string(m.ConcatPart) + "/" + std::to_string(m.ConcatTotal);
    }
    r["text"] = from_handset_lines(joined.text);
    c.out.row(r);
  }
  if (!complete) {
    s->fail("the read stopped: " + std::to_string(store.size()) + " messages read (partial)");
    return kExitFailed;
  }
  return kExitOk;
}

int send_outgoing(Context& c, CliSession& s, MessageWindows& w, std::size_t first, int validity) {
  for (std::size_t i = first; i < c.inv.operands.size(); ++i) w.sending.add(w.sending.rows().size(), c.inv.operands[i]);
  if (validity >= 0) w.sending.set_validity(validity);
  if (!s.connect()) return kExitFailed;
  const bool ok =
      s.run_operation([&](StartOptions options) { return w.sending.send_all(std::move(options)); }).done();
  bool all_sent = true;
  for (const Recipient& r : w.sending.rows()) {
    Record rec;
    rec["number"] = r.Phone;
    rec["sent"] = r.sent;
    rec["result"] = r.Result;
    all_sent = all_sent && rec["sent"].get<bool>();
    c.out.row(rec);
  }
  if (ok && !all_sent) return failed(c, "not every message was sent");
  return ok ? kExitOk : kExitFailed;
}

int sms_send(Context& c) {
  int validity = -1;
  if (c.inv.has("--validity")) {
    const auto code = number_in(c.inv.value("--validity"), 0, 200);
    if (!code) return usage(c, "--validity is a code from 0 to 200");
    validity = *code;
  }
  const std::optional<std::string> text = message_text(c);
  if (!text) return c.inv.has("--text") == c.inv.has("--file") ? kExitUsage : kExitFailed;
  CliSession& s = c.handset();
  MessageWindows w(s);
  w.messages.set_text(*text);
  if (!w.messages.send()) return kExitFailed;  // too long, or characters it cannot send
  return send_outgoing(c, s, w, 0, validity);
}

int sms_write(Context& c) {
  const std::optional<std::string> text = message_text(c);
  if (!text) return c.inv.has("--text") == c.inv.has("--file") ? kExitUsage : kExitFailed;
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  w.messages.set_text(*text);
  const OperationResult written =
      s->run_operation([&](StartOptions options) { return w.messages.write(std::move(options)); });
  if (!written.done()) return kExitFailed;
  c.out.summary("message written to the outbox");
  return kExitOk;
}

int sms_delete(Context& c) {
  std::vector<int> locations;
  for (const std::string& operand : c.inv.operands) {
    const auto location = number_in(operand, 1, 255);
    if (!location) return usage(c, "not a message location: " + operand);
    locations.push_back(*location);
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  if (!read_messages(*s, w).done()) return kExitFailed;
  for (int location : locations) {
    if (!w.family.records().store.has_location(std::to_string(location))) {
      return failed(c, "no message at location " + std::to_string(location));
    }
  }
  // Asked as the Messages window asks before its Delete.
  auto start = [&](StartOptions options) {
    if (config().DelConfirm != 0) options.confirmed = ask_before_start(s->engine(), s->prompt(), tx(kTextAskClear));
    return start_message_delete(s->engine(), w.family, locations, std::move(options));
  };
  const OperationResult deleted = s->run_operation(start);
  if (!deleted.done()) return kExitFailed;
  c.out.summary(std::to_string(deleted.messages) + " messages deleted");
  return kExitOk;
}

// Archive: every message into DIR, and with --delete off the handset once
// its file is on disk.
int sms_archive(Context& c) {
  const std::string folder = c.inv.operands.at(0);
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  MessageArchiver archiver(s->engine(), w.family);
  // Asked through the terminal, or answered by --yes.
  auto ask = [s](const std::string& question) { return s->prompt().ask_yes_no(question); };
  const bool ran = s->run_operation([&](StartOptions options) {
                      return archiver.start(folder, c.inv.has("--delete"), ask, std::move(options.done));
                    }).done();
  const ArchiveSummary& summary = archiver.summary();
  const std::size_t on_disk = summary.written + summary.already;
  if (!ran && on_disk == 0) return kExitFailed;
  if (c.out.json()) {
    c.out.object(Record{{"folder", folder},
                        {"messages", summary.messages},
                        {"written", summary.written},
                        {"already", summary.already},
                        {"deleted", summary.deleted}});
  } else {
    c.out.summary(archiver.summary_text());
  }
  const bool complete = ran && on_disk == summary.messages && summary.error.empty() &&
                        (!summary.delete_asked || on_disk == 0 || summary.delete_done);
  return complete ? kExitOk : kExitFailed;
}

int smsc_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageRecords& records = s->session().organiser().messages();
  records.message_centre.clear();
  const OperationResult read =
      s->run_operation([&](StartOptions options) { return start_smsc_read(s->engine(), std::move(options)); });
  if (!read.done()) return kExitFailed;
  if (records.message_centre.empty()) return failed(c, "the handset gave no message centre");
  c.out.object(Record{{"smsc", records.message_centre}});
  return kExitOk;
}

int smsc_set(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageRecords& records = s->session().organiser().messages();
  records.message_centre = c.inv.operands.at(0);
  const OperationResult written = s->run_operation([&](StartOptions options) {
    options.confirmed = ask_write_confirmation(s->engine(), s->prompt());
    return start_smsc_write(s->engine(), std::move(options));
  });
  if (!written.done()) return kExitFailed;
  c.out.summary("message centre set to " + records.message_centre);
  return kExitOk;
}

}  // namespace phondeck::cli
