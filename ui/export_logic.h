#pragma once
// File > Export for a New Phone...: the dialog's logic. Read takes every part
// of the handset and shows what it holds and the entries that look like one
// person's numbers; Write writes the files, merging those entries only when
// the user checked Merge. Cancel during Read stops it after the operation
// running then.
#include <optional>
#include <string>
#include <vector>

#include "session/handset_export.h"

namespace phondeck {

class ExportLogic {
 public:
  // `runner` runs each operation (the window's on a local event loop).
  ExportLogic(HandsetSession& session, Prompt& prompt, OperationRunner runner);

  // "<home>/Phondeck export YYYY-MM-DD".
  static std::string default_folder(const std::string& home, const std::string& date);
  // The country of the handset's network when it has reported one, else the
  // locale's; "" when neither is known.
  std::string default_country() const;
  // A two-letter code as given ("de" -> "DE"); nullopt for anything else.
  // Empty stays empty (no country given).
  static std::optional<std::string> country_code(const std::string& text);

  void set_part_listener(PartListener listener) {
    exporter_.set_part_listener(std::move(listener));
  }

  // Reads the handset; false with the reason in stopped().
  bool read(const ExportOptions& options);
  bool has_read() const { return read_.has_value(); }
  const std::string& stopped() const { return stopped_; }
  // What was read, the country and each offer, one line each.
  std::string preview() const;
  const std::vector<MergeOffer>& offers() const { return offers_; }

  // Writes what was read into `dir` as vCard `vcard_version` (3 or 4); with
  // `merge` the offers are taken.
  ExportResult write(const std::string& dir, bool merge, int vcard_version);

  // Asked during Read: the operation running ends, no other starts.
  void cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

 private:
  HandsetSession& session_;
  OperationRunner runner_;
  HandsetExport exporter_;
  ExportOptions options_;
  std::optional<ExportRead> read_;
  std::vector<MergeOffer> offers_;
  std::string stopped_;
  bool cancelled_ = false;
};

}  // namespace phondeck
