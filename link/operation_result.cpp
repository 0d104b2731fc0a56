#include "link/operation_result.h"

#include <cstdio>

namespace phondeck {
namespace {

std::string refusal_name(Refusal why) {
  switch (why) {
    case Refusal::Busy: return "busy";
    case Refusal::NotConnected: return "not connected";
    case Refusal::NoSuchFunction: return "no such function in this phone";
    case Refusal::BadInput: return "bad input";
    case Refusal::UserSaidNo: return "not confirmed";
    case Refusal::None: break;
  }
  return "refused";
}

void add_count(std::string& text, long long count, const char* unit) {
  if (count == 0) return;
  text += (text.back() == ':' ? " " : ", ") + std::to_string(count) + " " + unit;
}

}  // namespace

std::string describe(const OperationResult& r) {
  std::string text;
  switch (r.ending) {
    case Ending::Done: text = "done:"; break;
    case Ending::Refused: return "refused: " + refusal_name(r.refusal);
    case Ending::Failed: {
      text = "failed at step " + std::to_string(r.step);
      if (r.code >= 0) {
        char code[16];
        std::snprintf(code, sizeof code, " (code 0x%02X)", r.code & 0xFF);
        text += code;
      }
      text += ":";
      break;
    }
    case Ending::LinkLost: text = "link lost at step " + std::to_string(r.step) + ":"; break;
  }
  add_count(text, r.entries, "entries");
  add_count(text, r.messages, "messages");
  add_count(text, r.notes, "notes");
  add_count(text, static_cast<long long>(r.bytes), "bytes");
  add_count(text, r.refused_items, "refused");
  if (text.back() == ':') text.pop_back();
  return text;
}

}  // namespace phondeck
