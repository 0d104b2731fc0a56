#include "organiser/graphics_sms.h"

#include "media/graphics_messages.h"

namespace phondeck {

void fill_group_graphic_sms(OutgoingSms& sms, const MonoBitmap& picture) {
  const std::vector<std::uint8_t> message = group_graphic_message(picture);
  sms.set_user_data(message);
  sms.first_octet = kPictureFirstOctet;
  sms.data_coding = kPictureDataCoding;
  sms.user_data_length = static_cast<std::uint8_t>(message.size());
}

void fill_operator_logo_sms(OutgoingSms& sms, const MonoBitmap& picture, int mcc, int mnc, std::uint8_t reference) {
  sms.set_parts(operator_logo_sms_parts(picture, mcc, mnc, reference));
  sms.first_octet = kPictureFirstOctet;
  sms.data_coding = kPictureDataCoding;
  sms.user_data_length = static_cast<std::uint8_t>(sms.part(0).size());
}

}  // namespace phondeck
