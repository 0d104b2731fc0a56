#include "link/serial_errors.h"

#include <cerrno>
#include <cstring>

#include "app/prompt.h"

namespace phondeck {

std::string serial_error_text(const char* text, int error, const std::string& device,
                              const std::string& advice) {
  std::string out = text;
  out += " (";
  out += std::to_string(error);
  out += ") ";
  out += std::strerror(error);
  if (!device.empty()) out += ": " + device;
  if (!advice.empty()) out += "\n\n" + advice;
  return out;
}

const char* line_error_description(std::uint32_t flags) {
  switch (flags) {
    case 1: return "An input buffer overflow has occurred.";
    case 2: return "A character-buffer overrun has occurred.";
    case 4: return "The hardware detected a parity error.";
    case 8: return "The hardware detected a framing error.";
    case 16: return "The hardware detected a break condition.";
    case 256: return "The output buffer was full.";
    case 512: return "Windows 95 only: A time-out occurred on a parallel device.";
    case 1024: return "An I/O error occurred during communications with the device.";
    case 2048: return "Windows 95 only: A parallel device is not selected.";
    case 4096: return "Windows 95 only: A parallel device signaled that it is out of paper.";
    case 32768: return "The requested mode is not supported, or the hFile parameter is invalid.";
    default: return "Undefined error";
  }
}

void show_line_error(Prompt& prompt, std::uint32_t flags, bool show_com_error) {
  if (!show_com_error) return;
  prompt.message(std::string("COM error: ") + line_error_description(flags));
}

}  // namespace phondeck
