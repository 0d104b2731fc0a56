#include "organiser/message_archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "app/configuration.h"
#include "app/file_replace.h"
#include "app/text_table.h"
#include "link/operation_engine.h"
#include "organiser/message_family.h"
#include "organiser/messages_window.h"

namespace phondeck {
namespace {

constexpr int kTextAskDelete = 3516;       // Delete the %1 archived messages from the handset?
constexpr int kTextAlready = 3517;         // %1 written to %2, %3 already there
constexpr int kTextAlreadyDeleted = 3518;  // ..., %4 deleted from the handset
constexpr int kTextDeleteRefused = 3519;
constexpr int kTextWritten = 3722;
constexpr int kTextWrittenDeleted = 3723;
constexpr int kTextNotDeleted = 3724;
constexpr int kTextNotWritten = 3725;
constexpr const char* kIndexName = "messages.json";

namespace fs = std::filesystem;

const char* folder_of(const SmsRecord& r) { return record_in_folder(r, SmsFolder::Inbox) ? "inbox" : "outbox"; }
const char* status_of(const SmsRecord& r) {
  return r.Type == "1" ? "read" : r.Type == "3" ? "unread" : r.Type == "5" ? "sent" : "unsent";
}

// The same message as archived: what a message that took its place after a
// delete would not share.
bool same_message(const SmsRecord& a, const SmsRecord& b) {
  return a.Pos == b.Pos && a.Phone == b.Phone && a.Time == b.Time && a.Text == b.Text;
}

bool sync_folder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// Whole or not at all, synced: through a temporary file beside it.
bool put_file(const fs::path& path, const std::string& text) {
  const fs::path temp = path.parent_path() / ("." + path.filename().string() + ".part");
  return replace_file(path.string(), temp.string(), text.data(), text.size(), FileAccess::Owner);
}

// A name no file in the folder has and this run has not given.
std::string free_name(const fs::path& folder, const std::string& name, std::set<std::string>& taken) {
  const fs::path base(name);
  const std::string stem = base.stem().string();
  const std::string ext = base.extension().string();
  std::string candidate = name;
  std::error_code ec;
  for (int n = 2; taken.count(candidate) != 0 || fs::exists(folder / candidate, ec); ++n) {
    candidate = stem + "-" + std::to_string(n) + ext;
  }
  taken.insert(candidate);
  return candidate;
}

nlohmann::ordered_json index_entry(const std::string& file, const ArchiveItem& item) {
  const SmsRecord& r = item.record;
  nlohmann::ordered_json e;
  e["file"] = file;
  e["folder"] = folder_of(r);
  e["status"] = status_of(r);
  e["number"] = r.Phone;
  e["time"] = r.Time.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(r.Time);
  e["stamp"] = r.Stamp.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(r.Stamp);
  e["locations"] = item.locations;
  e["smsc"] = r.SMSC;
  e["text"] = from_handset_lines(r.Text);
  return e;
}

// The entries of an earlier index in the folder; false when a file of that
// name is there but is no index this program wrote (it is left alone).
bool earlier_index(const fs::path& path, nlohmann::ordered_json& entries) {
  entries = nlohmann::ordered_json::array();
  std::error_code ec;
  if (!fs::exists(path, ec)) return true;
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return in.good() || in.eof() ? parse_archive_index(text, entries) : false;
}

}  // namespace

bool parse_archive_index(std::string_view text, nlohmann::ordered_json& entries) {
  entries = nlohmann::ordered_json::array();
  auto parsed = nlohmann::ordered_json::parse(text.begin(), text.end(), nullptr, false);
  if (parsed.is_discarded() || !parsed.is_array()) return false;
  for (const auto& e : parsed) {
    if (!e.is_object()) return false;
    const auto file = e.find("file");
    if (file == e.end() || !file->is_string()) return false;
    const std::string& name = file->get_ref<const std::string&>();
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return false;
  }
  entries = std::move(parsed);
  return true;
}

std::vector<ArchiveItem> messages_to_archive(const MessageStore& store) {
  // A message in parts is one item: its joined text, every part's location.
  std::vector<std::pair<std::size_t, ArchiveItem>> items;
  for (const SmsFolder folder : {SmsFolder::Inbox, SmsFolder::Outbox}) {
    for (const JoinedMessage& m : store.joined(folder)) {
      ArchiveItem item{store.at(m.records.front()), {}, {}};
      item.record.Text = m.text;
      try {
        for (const std::size_t i : m.records) {
          item.locations.push_back(std::stoi(store.at(i).Pos));
          item.parts.push_back(store.at(i));
        }
      } catch (const std::exception&) {
        continue;  // no location: nothing the archive could delete or name
      }
      items.emplace_back(m.records.front(), std::move(item));
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ArchiveItem> out;
  for (auto& [first, item] : items) out.push_back(std::move(item));
  return out;
}

std::string archive_file_name(const SmsRecord& record) {
  // "YY.MM.DD hh:mm:ss" -> "YYMMDD-hhmmss".
  std::string digits;
  for (char ch : record.Time) {
    if (std::isdigit(static_cast<unsigned char>(ch)) != 0) digits += ch;
  }
  std::string stamp = digits.size() == 12 ? digits.substr(0, 6) + "-" + digits.substr(6) : "L" + record.Pos;
  std::string sender;
  for (char ch : record.Phone) {
    const auto c = static_cast<unsigned char>(ch);
    sender += c < 0x80 && (std::isalnum(c) != 0 || ch == '+') ? ch : '_';
  }
  if (sender.empty()) sender = "unknown";
  return stamp + "_" + sender + ".txt";
}

std::string archive_file_text(const SmsRecord& record) {
  std::ostringstream out;
  out << (record_in_folder(record, SmsFolder::Inbox) ? "From: " : "To: ") << record.Phone << "\n";
  out << "Folder: " << folder_of(record) << "\n";
  out << "Status: " << status_of(record) << "\n";
  if (!record.Time.empty()) out << "Time: " << record.Time << "\n";
  if (!record.Stamp.empty()) out << "Stamp: " << record.Stamp << "\n";
  out << "Location: " << record.Pos << "\n";
  if (!record.SMSC.empty()) out << "Centre: " << record.SMSC << "\n";
  out << "\n" << from_handset_lines(record.Text) << "\n";
  return out.str();
}

ArchiveWrite write_archive(const std::string& folder, const std::vector<ArchiveItem>& items) {
  ArchiveWrite result;
  result.files.assign(items.size(), std::string());
  const fs::path dir(folder);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec)) {
    result.error = folder + ": not a folder that can be written";
    return result;
  }
  nlohmann::ordered_json index;
  if (!earlier_index(dir / kIndexName, index)) {
    result.error = (dir / kIndexName).string() + ": not an archive index";
    return result;
  }
  // A message an earlier run archived, with its file still there, is on
  // disk already; each earlier entry stands for one message.
  std::vector<std::string> earlier(items.size());
  std::vector<bool> matched(index.size(), false);
  for (std::size_t i = 0; i < items.size(); ++i) {
    for (std::size_t k = 0; k < index.size(); ++k) {
      if (matched[k] || !archived_already(index[k], items[i])) continue;
      const std::string file = index[k]["file"].get<std::string>();
      if (!fs::is_regular_file(dir / file, ec)) continue;
      matched[k] = true;
      earlier[i] = file;
      ++result.already;
      break;
    }
  }
  std::set<std::string> taken;
  std::vector<std::string> names(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!earlier[i].empty()) continue;
    const std::string name = free_name(dir, archive_file_name(items[i].record), taken);
    if (put_file(dir / name, archive_file_text(items[i].record))) {
      names[i] = name;
    } else if (result.error.empty()) {
      result.error = (dir / name).string() + ": cannot be written";
    }
  }
  // The new names in the folder are on disk before the index names them.
  if (!sync_folder(dir)) {
    result.error = folder + ": cannot be synced";
    return result;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!names[i].empty()) index.push_back(index_entry(names[i], items[i]));
  }
  if (!put_file(dir / kIndexName, index.dump(2) + "\n") || !sync_folder(dir)) {
    result.error = (dir / kIndexName).string() + ": cannot be written";
    return result;
  }
  result.written = static_cast<std::size_t>(
      std::count_if(names.begin(), names.end(), [](const std::string& f) { return !f.empty(); }));
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!earlier[i].empty()) names[i] = earlier[i];
  }
  result.files = std::move(names);
  return result;
}

bool archived_already(const nlohmann::ordered_json& entry, const ArchiveItem& item) {
  const SmsRecord& r = item.record;
  auto text_of = [&entry](const char* key) -> std::string {
    const auto at = entry.find(key);
    return at != entry.end() && at->is_string() ? at->get<std::string>() : std::string();
  };
  // A stamp is compared when both have one: an index of an older run has none.
  const std::string stamp = text_of("stamp");
  return text_of("folder") == folder_of(r) && text_of("number") == r.Phone && text_of("time") == r.Time &&
         (stamp.empty() || r.Stamp.empty() || stamp == r.Stamp) && text_of("text") == from_handset_lines(r.Text);
}

// ------------------------------------------------------------ MessageArchiver

MessageArchiver::MessageArchiver(OperationEngine& engine, MessageFamily& family) : engine_(engine), family_(family) {}

Completion MessageArchiver::then(void (MessageArchiver::*step)(const OperationResult&)) {
  return [this, step](const OperationResult& result) {
    if (!later) return (this->*step)(result);
    later([this, step, result] { (this->*step)(result); });
  };
}

bool MessageArchiver::start(std::string folder, bool delete_written, AskDelete ask, Completion done) {
  if (running()) return false;
  folder_ = std::move(folder);
  delete_written_ = delete_written;
  ask_ = std::move(ask);
  done_ = std::move(done);
  summary_ = {};
  summary_.delete_asked = delete_written;
  written_.clear();
  phase_ = Phase::Reading;
  StartOptions read;
  read.done = then(&MessageArchiver::read_ended);
  // A refusal is told through the completion as well, which ends the run.
  return start_message_read(engine_, family_, std::move(read));
}

void MessageArchiver::read_ended(const OperationResult& result) {
  if (!result.done()) return finish(result);
  summary_.read_done = true;
  const std::vector<ArchiveItem> items = messages_to_archive(family_.records().store);
  summary_.messages = items.size();
  const ArchiveWrite write = write_archive(folder_, items);
  summary_.written = write.written;
  summary_.already = write.already;
  summary_.error = write.error;
  std::vector<int> locations;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (write.files[i].empty()) continue;
    written_.push_back(items[i]);
    locations.insert(locations.end(), items[i].locations.begin(), items[i].locations.end());
  }
  if (!delete_written_ || locations.empty()) return finish(result);
  // Only what is on disk goes, and only once the user knows how many; the
  // delete reads the store again after it.
  if (config().DelConfirm != 0 &&
      (!ask_ || !ask_(tx_with(kTextAskDelete, {std::to_string(written_.size())})))) {
    summary_.delete_refused = true;
    return finish(result);
  }
  phase_ = Phase::Deleting;
  StartOptions del;
  del.done = then(&MessageArchiver::delete_ended);
  start_message_delete(engine_, family_, locations, std::move(del));
}

void MessageArchiver::delete_ended(const OperationResult& result) {
  if (result.done()) {
    // Counted from the store read again after the delete: what is gone.
    const MessageStore& store = family_.records().store;
    for (const ArchiveItem& item : written_) {
      const std::vector<SmsRecord> parts = item.parts.empty() ? std::vector<SmsRecord>{item.record} : item.parts;
      const bool still = std::any_of(store.records().begin(), store.records().end(), [&](const SmsRecord& r) {
        return std::any_of(parts.begin(), parts.end(), [&](const SmsRecord& part) { return same_message(r, part); });
      });
      if (!still) ++summary_.deleted;
    }
    summary_.delete_done = true;
  }
  finish(result);
}

void MessageArchiver::finish(const OperationResult& result) {
  phase_ = Phase::Idle;
  Completion done = std::move(done_);
  done_ = nullptr;
  if (done) done(result);
}

std::string MessageArchiver::summary_text() const {
  const bool deleted = summary_.delete_asked && !summary_.delete_refused;
  const std::string written = std::to_string(summary_.written);
  const std::string already = std::to_string(summary_.already);
  const std::string gone = std::to_string(summary_.deleted);
  std::string text = summary_.already == 0
                         ? tx_with(deleted ? kTextWrittenDeleted : kTextWritten, {written, folder_, gone})
                         : tx_with(deleted ? kTextAlreadyDeleted : kTextAlready, {written, folder_, already, gone});
  const std::size_t on_disk = summary_.written + summary_.already;
  if (on_disk < summary_.messages) {
    text += "\n" + tx_with(kTextNotWritten, {std::to_string(summary_.messages - on_disk)});
  }
  if (summary_.delete_refused) {
    text += "\n" + tx(kTextDeleteRefused);
  } else if (summary_.delete_asked && on_disk > 0 && !summary_.delete_done) {
    text += "\n" + tx(kTextNotDeleted);
  }
  if (!summary_.error.empty()) text += "\n" + summary_.error;
  return text;
}

}  // namespace phondeck
