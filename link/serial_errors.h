#pragma once
// Texts for serial port failures and line errors.
#include <cstdint>
#include <string>

namespace phondeck {

class Prompt;

// "ERROR: Serial 10 (2) No such file or directory: /dev/ttyUSB0": the fixed
// text, the system error code, the system's text for it and, when known, the
// device the port tried; then, after a blank line, the advice (what to do
// next) when there is one.
std::string serial_error_text(const char* text, int error, const std::string& device = {},
                              const std::string& advice = {});

// Line error flags (1 input overflow, 2 overrun, 4 parity, 8 framing,
// 16 break, ...). The value is compared as a whole: a combination of flags
// is an "Undefined error".
const char* line_error_description(std::uint32_t flags);

// The window's handling of a line-error notice: shows "COM error: " and the
// description when show_com_error is on; otherwise nothing.
void show_line_error(Prompt& prompt, std::uint32_t flags, bool show_com_error);

}  // namespace phondeck
