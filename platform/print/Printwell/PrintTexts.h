#pragma once
// The texts of the bundle's string table "UI/PrintwellRes.aui".
#include <cstdint>
#include <string>

enum PrintTextId : uint32_t {
  kTextNoPrinter = 1,      // no printer on the system
  kTextPageOf = 2,         // %d page, %d pages
  kTextNoPages = 3,
  kTextPrinting = 4,       // %d percent
  kTextCancelling = 5,
  kTextPrinted = 6,
  kTextPrintFailed = 7,    // %s why
  kTextSaving = 8,         // %d percent
  kTextSaved = 9,
  kTextReplace = 10,       // %s the file name
  kTextCellFailed = 11,    // %s the file name
  kTextSaveTitle = 14,
  kTextNotWritten = 15,    // %s the path
};

// Text `id` when it takes exactly `conversions`, otherwise `builtIn`: a bad
// translation never reads the wrong arguments.
std::u16string PrintText(uint32_t id, const char* conversions, const char16_t* builtIn);
