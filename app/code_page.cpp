#include "app/code_page.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace phondeck {

namespace {

std::atomic<CodePage> g_active{CodePage::Windows1252};

const char* iconv_name(CodePage page) {
  switch (page) {
    case CodePage::Big5: return "BIG5";
    case CodePage::GBK: return "GBK";
    case CodePage::Windows1252: break;
  }
  return "CP1252";
}

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there do
// not start one.
std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t* out) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    *out = b0;
    return 1;
  }
  std::size_t len;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2; cp = b0 & 0x1F; min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3; cp = b0 & 0x0F; min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4; cp = b0 & 0x07; min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  *out = cp;
  return len;
}

// One conversion descriptor per direction and code page, per thread (iconv
// descriptors carry shift state and are not shared between threads).
class Converters {
 public:
  ~Converters() {
    for (auto& cd : cds_) {
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
  }
  // to_page: UTF-8 -> page; otherwise page -> UTF-8. Null when unavailable.
  iconv_t get(CodePage page, bool to_page) {
    const std::size_t slot = static_cast<std::size_t>(page) * 2 + (to_page ? 1 : 0);
    if (!opened_[slot]) {
      opened_[slot] = true;
      cds_[slot] = to_page ? iconv_open(iconv_name(page), "UTF-8")
                           : iconv_open("UTF-8", iconv_name(page));
    }
    if (cds_[slot] == reinterpret_cast<iconv_t>(-1)) return nullptr;
    iconv(cds_[slot], nullptr, nullptr, nullptr, nullptr);  // reset state
    return cds_[slot];
  }

 private:
  iconv_t cds_[6] = {reinterpret_cast<iconv_t>(-1), reinterpret_cast<iconv_t>(-1),
                     reinterpret_cast<iconv_t>(-1), reinterpret_cast<iconv_t>(-1),
                     reinterpret_cast<iconv_t>(-1), reinterpret_cast<iconv_t>(-1)};
  bool opened_[6] = {};
};

iconv_t converter(CodePage page, bool to_page) {
  thread_local Converters converters;
  return converters.get(page, to_page);
}

// Runs iconv over the whole input. At an input sequence the target cannot
// hold (or the source does not define), `bad` is appended and `skip(pos)`
// input bytes are passed over.
template <typename Skip>
std::string run_iconv(iconv_t cd, std::string_view in, std::string_view bad, Skip skip) {
  std::string out;
  std::string buffer(256, '\0');
  std::size_t pos = 0;
  while (pos < in.size()) {
    char* inp = const_cast<char*>(in.data() + pos);
    std::size_t inleft = in.size() - pos;
    char* outp = buffer.data();
    std::size_t outleft = buffer.size();
    const std::size_t rc = iconv(cd, &inp, &inleft, &outp, &outleft);
    out.append(buffer.data(), buffer.size() - outleft);
    const std::size_t consumed = (in.size() - pos) - inleft;
    pos += consumed;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      if (consumed == 0 && outleft == buffer.size()) buffer.resize(buffer.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL (a cut multi-byte sequence at the end): replace and go on.
    out.append(bad);
    pos += skip(pos);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // Flush any shift state (none of these code pages has one, but be safe).
  char* outp = buffer.data();
  std::size_t outleft = buffer.size();
  if (iconv(cd, nullptr, nullptr, &outp, &outleft) != static_cast<std::size_t>(-1)) {
    out.append(buffer.data(), buffer.size() - outleft);
  }
  return out;
}

// Calls each(position, length, code point) for every character of utf8; an
// invalid byte comes as length 0 and is passed over alone.
template <typename Each>
void walk_utf8(std::string_view utf8, Each&& each) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    const std::size_t len = utf8_sequence(utf8, i, &cp);
    each(i, len, cp);
    i += len == 0 ? 1 : len;
  }
}

// Valid UTF-8 with every invalid sequence replaced by "?".
std::string clean_utf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  walk_utf8(utf8, [&](std::size_t pos, std::size_t len, char32_t) {
    if (len == 0) {
      out.push_back('?');
    } else {
      out.append(utf8.substr(pos, len));
    }
  });
  return out;
}

}  // namespace

void set_active_code_page(CodePage page) { g_active.store(page); }

CodePage active_code_page() { return g_active.load(); }

std::string to_code_page(std::string_view utf8, CodePage page) {
  const std::string clean = clean_utf8(utf8);
  iconv_t cd = converter(page, true);
  if (cd == nullptr) {
    // No converter on this system: keep ASCII, the rest becomes "?".
    std::string out;
    for (char32_t cp : utf8_to_code_points(clean)) out.push_back(cp < 0x80 ? static_cast<char>(cp) : '?');
    return out;
  }
  return run_iconv(cd, clean, "?", [&clean](std::size_t pos) -> std::size_t {
    if (pos >= clean.size()) return 0;
    char32_t cp;
    const std::size_t len = utf8_sequence(clean, pos, &cp);
    return len == 0 ? 1 : len;
  });
}

std::string to_code_page(std::string_view utf8) { return to_code_page(utf8, active_code_page()); }

std::string from_code_page(std::string_view bytes, CodePage page) {
  iconv_t cd = converter(page, false);
  if (cd == nullptr) {
    std::string out;
    for (char c : bytes) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
    return out;
  }
  return run_iconv(cd, bytes, "?", [&bytes](std::size_t pos) -> std::size_t {
    return pos < bytes.size() ? 1 : 0;
  });
}

std::string from_code_page(std::string_view bytes) { return from_code_page(bytes, active_code_page()); }

std::u32string utf8_to_code_points(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  walk_utf8(utf8, [&out](std::size_t, std::size_t len, char32_t cp) { out.push_back(len == 0 ? 0xFFFD : cp); });
  return out;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string code_points_to_utf8(std::u32string_view code_points) {
  std::string out;
  out.reserve(code_points.size());
  for (char32_t cp : code_points) append_utf8(out, cp);
  return out;
}

std::u16string utf8_to_utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (char32_t cp : utf8_to_code_points(utf8)) {
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
  }
  return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                           (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
      ++i;
    } else {
      append_utf8(out, u);  // a lone surrogate becomes U+FFFD
    }
  }
  return out;
}

std::string utf8_to_ucs2be(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (char32_t cp : utf8_to_code_points(utf8)) {
    if (cp > 0xFFFF) cp = 0xFFFD;
    out.push_back(static_cast<char>(cp >> 8));
    out.push_back(static_cast<char>(cp & 0xFF));
  }
  return out;
}

std::string ucs2be_to_utf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>((static_cast<unsigned char>(bytes[i]) << 8) |
                                          static_cast<unsigned char>(bytes[i + 1])));
  }
  return utf16_to_utf8(units);
}

bool has_non_ascii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

}  // namespace phondeck
