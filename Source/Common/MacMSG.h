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
  std::u16string text;  // 2029: the argument; wParam then points at text.c_str()
};
typedef tagMacMSG MacMSG;
