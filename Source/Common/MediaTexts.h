#pragma once
// Texts the albums' property dialogs and the plug-ins show about media
// files: picture sizes with their common names, durations, file dates in
// the user's locale and numbers with thousands separators.
#include <cstdint>
#include <string>

#include "os/FileTime.h"
#include "qel/QelTypes.h"

// "W x H (name)" where the width (and for 1280 and 2560 the height) has a
// common name (VGA, HD 720P, 5MP ...), else "W x H".
std::u16string vSizeToString(const SIZE& size);
// "hh:mm:ss"; negative times count as 0.
std::u16string vTimeToString(int64_t seconds);
// The date and time in the local time zone, in the locale's medium form.
std::u16string vFileTimeToString(const plat::FileTime& time);
// 1234567 -> "1,234,567".
std::u16string FormatThousands(uint64_t number);
// Bytes as whole kilobytes of 1024, rounded up ("1,206"); 0 or less: "0".
std::u16string FormatKilobytes(int64_t bytes);
