#include "app/configuration_keys.h"

#include <fstream>
#include <sstream>

#include "app/file_replace.h"

namespace phondeck {

std::string with_configuration_keys(const std::string& text,
                                    const std::vector<std::pair<std::string, std::string>>& keys) {
  // The file's own line end; CR LF as the writer makes them for a new file.
  const std::size_t first_break = text.find('\n');
  const bool crlf = first_break == std::string::npos || (first_break > 0 && text[first_break - 1] == '\r');
  const std::string line_end = crlf ? "\r\n" : "\n";
  std::vector<bool> seen(keys.size(), false);
  std::string out;
  std::string tail;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(pos, stop - pos);
    pos = stop;
    const std::size_t eq = line.find('=');
    bool replaced = false;
    // A last line without its line break is not read, so it is kept as it is.
    if (eq != std::string::npos && end != std::string::npos) {
      const std::string key = line.substr(0, eq);
      for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].first != key) continue;
        const bool cr = line.size() >= 2 && line[line.size() - 2] == '\r';
        out += key + "=" + keys[k].second + (cr ? "\r\n" : "\n");
        seen[k] = true;
        replaced = true;
        break;
      }
    }
    if (end == std::string::npos) {
      tail = line;
    } else if (!replaced) {
      out += line;
    }
  }
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (!seen[k]) out += keys[k].first + "=" + keys[k].second + line_end;
  }
  // An unfinished last line stays last and unfinished, so still unread.
  return out + tail;
}

bool set_configuration_keys(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& keys) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::ostringstream all;
      all << in.rdbuf();
      if (in.bad()) return false;
      text = all.str();
    }
  }
  const std::string data = with_configuration_keys(text, keys);
  return replace_file(path, path + ".new", data.data(), data.size());
}

}  // namespace phondeck
