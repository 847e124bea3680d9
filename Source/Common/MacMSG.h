#pragma once
// The record of IORVAction::PreTranslateMessage. Parameters are pointer
// sized; a message that carries text (2029, a command-line argument) owns
// its copy, so a later command line cannot change what this one delivers.
#include <cstdint>
#include <string>

#include "qel/QelTypes.h"

// Host-to-module messages.
constexpr uint32_t ORV_MSG_MEDIA_FOLDER_CHANGED = 2026;
constexpr uint32_t ORV_MSG_MODULE_SHOWN = 2027;
constexpr uint32_t ORV_MSG_COMMAND_ARGUMENT = 2029;

struct tagMacMSG {
  WindowRef window = nullptr;
  uint32_t message = 0;
  intptr_t wParam = 0;
  intptr_t lParam = 0;
  // 2029: the argument itself; whoever delivers the record points wParam at
  // text.c_str() of the record it hands over.
  std::u16string text;
};
typedef tagMacMSG MacMSG;
