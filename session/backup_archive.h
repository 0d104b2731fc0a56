#pragma once
// The backup file: a ZIP archive of the part files and manifest.json, which
// any archiver opens. Reading refuses, with the reason, what is not such an
// archive, a newer format, a file the manifest lists but the archive lacks,
// and a size or SHA-256 that does not match.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/backup_files.h"

namespace phondeck {

// Files larger than this are not read from an archive.
inline constexpr std::size_t kMaxBackupFileBytes = 16u << 20;

// The archive's bytes: manifest.json first, then the files by name.
std::optional<std::string> backup_archive_bytes(const BackupFiles& files, const BackupManifest& manifest,
                                                std::string& error);
// Writes the archive so that it appears only whole (a new file renamed over
// the old one). False with the reason.
bool write_backup_archive(const std::string& path, const BackupFiles& files, const BackupManifest& manifest,
                          std::string& error);

struct OpenedBackup {
  BackupManifest manifest;
  BackupFiles files;  // the files the manifest lists, checked
  // Read with the checksums ignored: the files whose size or SHA-256 is not
  // the manifest's ("phonebook.vcf"), changed since the backup was written.
  std::vector<std::string> changed;
};
// ignore_checksums: a file whose size or SHA-256 differs from the manifest
// is taken as it is and named in `changed`; everything else is checked.
std::optional<OpenedBackup> read_backup_archive(std::string_view bytes, std::string& error,
                                                bool ignore_checksums = false);
std::optional<OpenedBackup> open_backup_archive(const std::string& path, std::string& error,
                                                bool ignore_checksums = false);

}  // namespace phondeck
