// Calendar note replies of any bytes: the parser stays within the data, the
// text is valid UTF-8, and a note written back is one frame whose stated
// lengths match its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/code_page.h"
#include "organiser/calendar_note.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace phondeck;
  if (size < 1) return 0;
  set_active_code_page(static_cast<CodePage>(data[0] % 3));
  CalendarEvent e;
  if (parse_note_reply(std::span<const std::uint8_t>(data + 1, size - 1), e) == NoteReply::Note) {
    if (code_points_to_utf8(utf8_to_code_points(e.data)) != e.data) std::abort();
    if (code_points_to_utf8(utf8_to_code_points(e.call_text)) != e.call_text) std::abort();
    // Written back: the text's length and text, the number's length and
    // number, within one frame.
    const std::vector<std::uint8_t> request = note_write_request(e);
    const std::size_t text = request[22];
    if (request.size() < 24 + text) std::abort();
    const std::size_t number = request[23 + text];
    if (request[7] != 2 && number != 0) std::abort();
    if (text + number > kNoteTextLimit || request[6] != text + number + 19) std::abort();
    if (request.size() != 24 + text + number || request.size() + 2 > 255) std::abort();
  }
  set_active_code_page(CodePage::Windows1252);
  return 0;
}
