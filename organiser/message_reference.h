#pragma once
// The concatenation reference of messages sent in parts. A receiving phone
// joins parts by sender and reference, so two messages to one number must
// not share it: one counter for every run of Telvane and phondeck on this
// account, kept in a small file (one decimal number, the last reference
// given out) beside tv.dat. Each take reads the file afresh under a lock on
// its folder and replaces it whole, so a window left open and a command run
// in between count on from each other.
#include <cstdint>
#include <string>
#include <utility>

namespace phondeck {

// Where Telvane and phondeck keep the counter: "sms-reference" in the folder
// of the tv.dat they use.
std::string message_reference_file(const std::string& configuration_path);

// The process-wide default: the file that MessageReferences objects made
// from now on use (set at start-up by Telvane and phondeck; "" in tests).
void set_default_message_reference_file(std::string path);
const std::string& default_message_reference_file();

class MessageReferences {
 public:
  MessageReferences() : path_(default_message_reference_file()) {}
  // The file that keeps the counter (at first the process-wide default);
  // "" keeps it in this process only. Its folder is made (private to the user) when missing.
  void set_file(std::string path) { path_ = std::move(path); }
  const std::string& file() const { return path_; }

  // The reference of the next message: one after the last given out by
  // this object or the file, 0 after 255. A file that cannot be read counts
  // from what this object gave last; one that cannot be written leaves the
  // count in this process.
  std::uint8_t take();
  // The reference last taken (the editor's message, filled again as its
  // text changes, keeps it); 0 before the first take.
  std::uint8_t last() const { return last_; }

 private:
  std::string path_;
  std::uint8_t last_ = 0;
};

}  // namespace phondeck
