// Backup archives of any bytes: refused with a reason, or every file the
// manifest lists is there with its size and checksum, and every part it
// names can be taken apart into items without reading past a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/sha256.h"
#include "app/text_table.h"
#include "session/backup_archive.h"
#include "session/backup_differences.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  static const bool loaded = (texts().load_english(), true);
  (void)loaded;
  std::string error;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // With the checksums ignored: what is taken is named as changed, and the
  // same archive read with them checked opens only when nothing changed.
  std::string ignored_error;
  const auto as_now = read_backup_archive(bytes, ignored_error, true);
  if (as_now) {
    for (const std::string& name : as_now->changed) {
      if (as_now->files.count(name) == 0) std::abort();
    }
    int received = 0;
    const BackupFiles outbox = without_received_messages(as_now->files, received);
    (void)part_differences(BackupPart::Messages, outbox, as_now->files);
  }
  const auto opened = read_backup_archive(bytes, error);
  if (!opened) {
    if (error.empty() || (as_now && as_now->changed.empty())) std::abort();
    return 0;
  }
  if (!as_now || !as_now->changed.empty()) std::abort();
  if (opened->manifest.format > BackupManifest::kFormat) std::abort();
  for (const BackupManifest::File& f : opened->manifest.files) {
    const std::string& content = opened->files.at(f.name);
    if (content.size() != f.size || sha256_hex(content) != f.sha256) std::abort();
  }
  for (BackupPart part : kBackupParts) {
    (void)part_items(part, opened->files);
    if (!part_differences(part, opened->files, opened->files).empty() && part_items(part, opened->files)) std::abort();
    (void)read_settings_file(opened->files);
    (void)messages_to_store(opened->files, opened->files);
  }
  // A manifest's own text, read alone.
  BackupManifest manifest;
  if (parse_manifest(bytes, manifest, error) && manifest.format > BackupManifest::kFormat) std::abort();
  return 0;
}
