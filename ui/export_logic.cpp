#include "ui/export_logic.h"

#include <cctype>
#include <filesystem>

#include "app/text_table.h"
#include "organiser/message_export.h"
#include "phonebook/phone_numbers.h"
#include "session/handset_session.h"

namespace phondeck {
namespace {

constexpr int kTextFolderName = 3811;
constexpr int kTextOffers = 3807;
constexpr int kTextNoOffers = 3812;

}  // namespace

ExportLogic::ExportLogic(HandsetSession& session, Prompt& prompt, OperationRunner runner)
    : session_(session),
      runner_(std::move(runner)),
      exporter_(session, prompt, [this](const std::function<bool(StartOptions)>& start) {
        return cancelled_ ? OperationResult::refused(Refusal::UserSaidNo) : runner_(start);
      }) {}

std::string ExportLogic::default_folder(const std::string& home, const std::string& date) {
  return (std::filesystem::path(home) / tx_with(kTextFolderName, {date})).string();
}

std::string ExportLogic::default_country() const {
  const int mcc = session_.info().mcc;
  const std::string network = mcc != 0 ? country_of_mcc(mcc) : std::string();
  return network.empty() ? country_of_locale() : network;
}

std::optional<std::string> ExportLogic::country_code(const std::string& text) {
  std::string code;
  for (char ch : text) {
    if (std::isspace(static_cast<unsigned char>(ch))) continue;
    if (!std::isalpha(static_cast<unsigned char>(ch))) return std::nullopt;
    code += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  if (!code.empty() && code.size() != 2) return std::nullopt;
  return code;
}

bool ExportLogic::read(const ExportOptions& options) {
  cancelled_ = false;
  options_ = options;
  read_.reset();
  offers_.clear();
  stopped_.clear();
  OperationResult ended;
  read_ = exporter_.read(options, stopped_, ended);
  if (!read_) {
    if (cancelled_) stopped_ = "the export was cancelled";
    return false;
  }
  offers_ = HandsetExport::plan(*read_, options_, false).offers;
  return true;
}

std::string ExportLogic::preview() const {
  if (!read_) return {};
  const ExportRead& r = *read_;
  std::string text = std::to_string(r.entries.size()) + " phone-book entries (" +
                     std::to_string(r.phone_entries) + " phone, " + std::to_string(r.sim_entries) +
                     " SIM), " + std::to_string(exported_message_count(r.messages)) + " messages";
  if (r.has_calendar) text += ", " + std::to_string(r.events.size()) + " calendar notes";
  text += "\nNumbers for " + (r.country.empty() ? std::string("no country") : r.country) + "\n";
  if (offers_.empty()) return text + tx(kTextNoOffers);
  text += tx(kTextOffers);
  for (const MergeOffer& offer : offers_) text += "\n  " + offer_text(offer, r.entries);
  return text;
}

ExportResult ExportLogic::write(const std::string& dir, bool merge, int vcard_version) {
  options_.vcard_version = vcard_version;
  if (!read_) {
    ExportResult result;
    result.stopped = stopped_.empty() ? "nothing was read" : stopped_;
    return result;
  }
  return exporter_.write(dir, *read_, options_, merge);
}

}  // namespace phondeck
