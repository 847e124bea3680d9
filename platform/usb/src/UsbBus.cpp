#include "usb/UsbBus.h"

namespace plat::usb {

std::string LocationText(const Location& location) {
  std::string text;
  for (size_t i = 0; i < location.size(); ++i) {
    if (i == 1) text += '-';
    if (i > 1) text += '.';
    text += std::to_string(location[i]);
  }
  return text;
}

}  // namespace plat::usb
