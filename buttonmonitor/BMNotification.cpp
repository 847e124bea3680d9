#include "BMNotification.h"

#include <algorithm>
#include <iterator>

#include "BMMainProgram.h"

namespace {

// 32 units each: the text followed by zeros.
constexpr char16_t s_zoomInCmd[BMNotification::kBlockUnits] = u"-Capture/Zoomin";
constexpr char16_t s_zoomOutCmd[BMNotification::kBlockUnits] = u"-Capture/Zoomout";
constexpr char16_t s_recordCmd[BMNotification::kBlockUnits] = u"-Capture/Record";

}  // namespace

std::shared_ptr<BMNotification> BMNotification::initWithBtnStatus(int status) {
  const char16_t* text = nullptr;
  switch (status) {
    case 1: text = s_zoomInCmd; break;
    case 2: text = s_zoomOutCmd; break;
    case 3: text = s_recordCmd; break;
    default: return nullptr;
  }
  std::shared_ptr<BMNotification> n(new BMNotification());
  std::copy(text, text + kBlockUnits, n->_cmdLine);
  return n;
}

std::u16string BMNotification::commandLine() const {
  const char16_t* end = std::find(_cmdLine, _cmdLine + kBlockUnits, u'\0');
  return std::u16string(_cmdLine, end);
}

void BMNotification::post(BMMainProgram& program) const { program.Deliver(commandLine()); }
