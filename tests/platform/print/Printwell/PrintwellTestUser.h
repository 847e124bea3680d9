#pragma once
// A user's choice from a list of the print dialog at the X server: the list
// opened with a click, the item clicked once the list shows it, and the
// list showing it afterwards.
#include <algorithm>
#include <string>
#include <vector>

#include "EmailTestUser.h"
#include "XUser.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"

namespace printwelltest {

inline bool Pick(testenv::XUser& user, CQelWindow* w, const char* combo, const std::string& label) {
  // A list that is still closing would take the click meant for this one.
  if (!user.WaitFor([&] { return user.OpenMenuItems().empty(); })) return false;
  if (!emailtest::HandClick(user, w, combo)) return false;
  if (!user.WaitFor([&] {
        const std::vector<std::string> items = user.OpenMenuItems();
        return std::find(items.begin(), items.end(), label) != items.end();
      }))
    return false;
  if (!user.ClickMenuItem(label)) return false;
  return user.WaitFor([&] {
    qel::Element* e = qel::headless::FindElement(w, combo);
    return e && e->Selection() >= 0 && QelToUTF8(e->Items()[size_t(e->Selection())].text) == label;
  });
}

}  // namespace printwelltest
