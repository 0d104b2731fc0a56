#pragma once
// phondeck phonebook: the phone book read to the terminal or a file, and a
// file written into the handset.
#include "cli/cli_context.h"

namespace phondeck::cli {

int phonebook_read(Context& c);
int phonebook_write(Context& c);

}  // namespace phondeck::cli
