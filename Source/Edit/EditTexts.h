#pragma once
// The texts of the edit album's property dialogs: file size, file time,
// picture resolution and the movie's length, sound and picture.
#include <cstdint>
#include <string>

#include "MediaProperties.h"
#include "ORVPubTools.h"
#include "qel/QelTypes.h"

// The edit module's string-table text, or `fallback` when the table lacks it.
std::u16string ResText(uint32_t id, const char16_t* fallback);

// The size in kilobytes ("1,206 KB"); 0 when the file cannot be read.
int vGetFileSize(const WCHAR* path, std::u16string& text);
// The local date and time of a stored file time.
int vFileTimeToString(std::u16string& text, const FILETIME* time);
// "hh:mm:ss".
int vTimeToString(int64_t seconds, std::u16string& text);
// The picture's size with its common name ("640 x 480 (VGA)").
int vSizeToString(const SIZE& size, std::u16string& text);
// The time cut down to a frame boundary within its second (25 frames a
// second).
int64_t vTimeToFrameTime(int64_t milliseconds);

// The full size of a picture file as its size text; 0 when it cannot be
// opened.
int vGetImageFileResolution(const WCHAR* path, std::u16string& text);

// The movie's length ("hh:mm:ss"), its sound and its picture as the
// property dialog shows them; 0 when the movie cannot be opened.
int vGetVideoFileProperty(const WCHAR* path, std::u16string& length, std::u16string& audio, std::u16string& video);
