#pragma once
// The texts of the bundle's string table "AUIUEmailRes.aui".
#include <cstdint>
#include <string>

enum MailTextId : uint32_t {
  kTextLarge = 1,        // %f megabytes, %d the limit in megabytes
  kTextSubject = 2,      // %s the file names
  kTextSomeFailed = 3,   // %s the names of the files not copied
  kTextAllFailed = 4,    // %s the same
  kTextHandFailed = 5,   // %s why
  kTextHanding = 6,
  kTextCopying = 7,
  kTextNoFolder = 8,
};

// Text `id` when it takes exactly `conversions` (as qel_format_matches
// reads them), otherwise `builtIn`: a bad translation never reads the
// wrong arguments.
std::u16string MailText(uint32_t id, const char* conversions, const char16_t* builtIn);
