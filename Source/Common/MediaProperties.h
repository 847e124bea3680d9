#pragma once
// What the albums' property dialogs tell of a file: a picture's full size,
// and a movie's length, sound and picture, read through the media layer.
// Both plug-ins use these with their own string-table words.
#include <cstdint>
#include <string>

#include "qel/QelTypes.h"

// The words the movie texts are made of, and the frame length times are
// cut to.
struct MoviePropertyWords {
  std::u16string bits, framesPerSecond, frames;
  std::u16string oneChannel, channels, kiloHertz, noSound;
  int64_t frameMs = 33;
};

// The full size of a picture file (not of a small preview); 0 when it
// cannot be opened.
int vGetImageFileResolution(const WCHAR* path, SIZE& size);

// The movie's length ("hh:mm:ss", the longer of picture and sound), its
// sound and its picture as the property dialog shows them; 0 when the
// movie cannot be opened.
int vGetVideoFileProperty(const WCHAR* path, const MoviePropertyWords& words, std::u16string& length,
                          std::u16string& audio, std::u16string& video);
