#pragma once
// Internals shared by the headless backend and its test API.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "qel/QelFileChooser.h"
#include "qel/QelWindow.h"

namespace qel::headless {

struct ModalAnswer {
  enum Kind { kButton, kKey, kResult, kAction } kind = kResult;
  std::string button;
  std::function<void(CQelWindow*)> action;
  uint32_t key = 0;
  int32_t result = 0;
};

std::deque<ModalAnswer>& ModalAnswers();

// Scripted answers of file choosers, and the requests they were shown with.
std::deque<FileChooserResult>& FileChooserAnswers();
std::vector<FileChooserRequest>& FileChooserLog();
void ApplyAnswer(CQelModalWnd* w, const ModalAnswer& a);

}  // namespace qel::headless
