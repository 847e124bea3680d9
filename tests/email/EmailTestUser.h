#pragma once
// A click as a hand makes it, for the e-mail tests at the X server: the
// pointer comes over the element first. (A window that opens under a pointer
// that then does not move gets the press without having seen the pointer
// arrive.)
#include <optional>

#include "XUser.h"

namespace emailtest {

inline bool HandClick(testenv::XUser& user, CQelWindow* w, const char* element) {
  std::optional<POINT> at = user.Where(w, element);
  if (!at || !user.MoveTo(POINT{at->x + 3, at->y + 2})) return false;
  user.Settle();
  return user.Click(w, element);
}

}  // namespace emailtest
