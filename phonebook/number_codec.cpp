#include "phonebook/number_codec.h"

#include <algorithm>

#include "app/configuration.h"
#include "app/conversion.h"

namespace phondeck {

std::string decode_number(std::span<const std::uint8_t> field) {
  std::string out;
  if (field.empty()) return out;
  if (field[0] == kNumberInternational) out.push_back('+');
  for (std::size_t i = 1; i < field.size(); ++i) {
    const std::uint8_t byte = field[i];
    out += std::to_string(byte & 0x0F);
    if (byte >= 0xA0) break;
    out += std::to_string(byte >> 4);
  }
  return out;
}

std::string decode_number(std::span<const std::uint8_t> field, std::size_t byte_count) {
  return decode_number(field.first(std::min(byte_count, field.size())));
}

bool handset_number_valid(std::string_view phone) {
  for (std::size_t i = 0; i < phone.size(); ++i) {
    const char c = phone[i];
    const bool ok = (c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'p' || c == 'w' || (c == '+' && i == 0);
    if (!ok) return false;
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> encode_number(std::string_view text, AddressKind kind,
                                                       std::string* error) {
  std::string chosen;
  if (kind == AddressKind::MessageCentre) {
    const int choice = config().SMSC;
    if (choice >= 1 && choice <= static_cast<int>(config().SMSCNumber.size())) {
      chosen = config().SMSCNumber[static_cast<std::size_t>(choice - 1)];
      text = chosen;
    }
  }
  std::uint8_t type = kNumberUnknown;
  if (!text.empty() && text.front() == '+') {
    type = kNumberInternational;
    text.remove_prefix(1);
  }
  std::vector<std::uint8_t> digits;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      if (error != nullptr) *error = ConversionError(text.substr(i, 1)).what();
      return std::nullopt;
    }
    const auto d = static_cast<std::uint8_t>(c - '0');
    if (i % 2 == 0) {
      digits.push_back(static_cast<std::uint8_t>(0xF0 | d));
    } else {
      digits.back() = static_cast<std::uint8_t>((digits.back() & 0x0F) | (d << 4));
    }
  }
  std::vector<std::uint8_t> out;
  const std::size_t length = kind == AddressKind::MessageCentre ? digits.size() + 1 : text.size();
  out.push_back(static_cast<std::uint8_t>(length));
  out.push_back(type);
  out.insert(out.end(), digits.begin(), digits.end());
  return out;
}

}  // namespace phondeck
