#pragma once
// phondeck export: the phone book, messages and calendar into files that
// other phones and programs import, and on to a CardDAV address book and a
// CalDAV calendar.
#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace phondeck::cli {

int export_for_new_phone(Context& c);

// The password's first line from `path`, without its line end; nullopt
// when the file cannot be read. `shared` says whether others may read it.
std::optional<std::string> password_from_file(const std::string& path, bool& shared);

}  // namespace phondeck::cli
