#include "session/backup_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/file_replace.h"
#include "app/sha256.h"

namespace phondeck {
namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::string zip_reason(zip_error_t* error) { return zip_error_strerror(error); }

// Every byte of the source, once the archive written into it is closed.
std::optional<std::string> source_bytes(zip_source_t* source) {
  if (zip_source_open(source) < 0) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const zip_int64_t n = zip_source_read(source, buffer, sizeof buffer);
    if (n < 0) {
      zip_source_close(source);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  zip_source_close(source);
  return bytes;
}

}  // namespace

std::optional<std::string> backup_archive_bytes(const BackupFiles& files, const BackupManifest& manifest,
                                                std::string& error) {
  zip_error_t ze;
  zip_error_init(&ze);
  Source buffer(zip_source_buffer_create(nullptr, 0, 0, &ze));
  if (!buffer) {
    error = zip_reason(&ze);
    zip_error_fini(&ze);
    return std::nullopt;
  }
  zip_source_keep(buffer.get());
  zip_t* raw = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &ze);
  if (raw == nullptr) {
    error = zip_reason(&ze);
    zip_error_fini(&ze);
    return std::nullopt;
  }
  zip_error_fini(&ze);
  Archive archive(raw);
  const std::string manifest_text = manifest_json(manifest);
  auto add = [&](const std::string& name, const std::string& bytes) {
    zip_source_t* source = zip_source_buffer(archive.get(), bytes.data(), bytes.size(), 0);
    if (source == nullptr) return false;
    const zip_int64_t index = zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      return false;
    }
    // A regular file its owner alone may read, when an archiver unpacks it.
    return zip_file_set_external_attributes(archive.get(), static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                            static_cast<zip_uint32_t>(S_IFREG | 0600) << 16) == 0;
  };
  bool added = add("manifest.json", manifest_text);
  for (const auto& [name, bytes] : files) added = added && add(name, bytes);
  if (!added) {
    error = zip_strerror(archive.get());
    return std::nullopt;
  }
  // Closing writes the archive into the buffer.
  if (zip_close(archive.get()) < 0) {
    error = zip_strerror(archive.get());
    return std::nullopt;
  }
  (void)archive.release();
  std::optional<std::string> bytes = source_bytes(buffer.get());
  if (!bytes) error = "the archive could not be made";
  return bytes;
}

bool write_backup_archive(const std::string& path, const BackupFiles& files, const BackupManifest& manifest,
                          std::string& error) {
  const std::optional<std::string> bytes = backup_archive_bytes(files, manifest, error);
  if (!bytes) return false;
  if (!replace_file(path, path + ".part", bytes->data(), bytes->size(), FileAccess::Owner)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

std::optional<OpenedBackup> read_backup_archive(std::string_view bytes, std::string& error, bool ignore_checksums) {
  const std::string not_backup = "it is not a Phondeck backup";
  zip_error_t ze;
  zip_error_init(&ze);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
  if (source == nullptr) {
    zip_error_fini(&ze);
    error = not_backup;
    return std::nullopt;
  }
  zip_t* raw = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &ze);
  zip_error_fini(&ze);
  if (raw == nullptr) {
    zip_source_free(source);
    error = not_backup + " (not a ZIP archive)";
    return std::nullopt;
  }
  Archive archive(raw);
  // One member's bytes, or nullopt (error set) when it is missing, too large
  // or unreadable.
  auto member = [&](const std::string& name) -> std::optional<std::string> {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive.get(), name.c_str(), 0, &st) < 0) {
      error = name + " is missing";
      return std::nullopt;
    }
    if ((st.valid & ZIP_STAT_SIZE) == 0 || st.size > kMaxBackupFileBytes) {
      error = name + " is too large";
      return std::nullopt;
    }
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen(archive.get(), name.c_str(), 0));
    if (!file) {
      error = name + " cannot be read";
      return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(st.size), '\0');
    zip_int64_t got = 0;
    while (got < static_cast<zip_int64_t>(out.size())) {
      const zip_int64_t n = zip_fread(file.get(), out.data() + got, out.size() - static_cast<std::size_t>(got));
      if (n <= 0) break;
      got += n;
    }
    char extra = 0;
    if (got != static_cast<zip_int64_t>(out.size()) || zip_fread(file.get(), &extra, 1) != 0) {
      error = name + " cannot be read";
      return std::nullopt;
    }
    return out;
  };
  const std::optional<std::string> manifest_text = member("manifest.json");
  if (!manifest_text) {
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    error = not_backup + (entries <= 0 ? std::string(": the ZIP archive is empty")
                                       : ": a ZIP archive without the backup's manifest.json (" + error + ")");
    return std::nullopt;
  }
  OpenedBackup opened;
  std::string why;
  if (!parse_manifest(*manifest_text, opened.manifest, why)) {
    error = not_backup + ": " + why;
    return std::nullopt;
  }
  for (const BackupManifest::File& f : opened.manifest.files) {
    if (f.name == "manifest.json" || opened.files.count(f.name) != 0) {
      error = "its manifest lists " + f.name + " twice";
      return std::nullopt;
    }
    std::optional<std::string> content = member(f.name);
    if (!content) return std::nullopt;
    if (content->size() != f.size || sha256_hex(*content) != f.sha256) {
      if (ignore_checksums) {
        opened.changed.push_back(f.name);
      } else if (content->size() != f.size) {
        error = f.name + " is " + std::to_string(content->size()) + " bytes, the manifest says " + std::to_string(f.size);
        return std::nullopt;
      } else {
        error = f.name + " does not match its SHA-256 checksum";
        return std::nullopt;
      }
    }
    opened.files.emplace(f.name, std::move(*content));
  }
  // Every part the manifest names must have its files.
  for (const std::string& name : opened.manifest.parts) {
    const std::optional<BackupPart> part = part_by_name(name);
    if (!part) continue;  // a part of a later version: left alone
    for (const std::string& f : part_files(*part)) {
      if (opened.files.count(f) == 0) {
        error = "its " + part_title(*part) + " lacks " + f;
        return std::nullopt;
      }
    }
  }
  return opened;
}

std::optional<OpenedBackup> open_backup_archive(const std::string& path, std::string& error, bool ignore_checksums) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::size_t>(size) > 16 * kMaxBackupFileBytes) {
    error = "it is not a Phondeck backup (too large)";
    return std::nullopt;
  }
  in.seekg(0);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  return read_backup_archive(bytes, error, ignore_checksums);
}

}  // namespace phondeck
