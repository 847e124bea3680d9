#pragma once
// Generated test pictures and small helpers shared by the imaging tests.
#include <filesystem>
#include <string>
#include <vector>

#include "img/Bitmap.h"

namespace imgtest {

// A photo-like picture: gradients, a few hard edges and some texture, so
// filters have something to work on. Deterministic for a given size.
img::Bitmap Scene(int32_t width, int32_t height, uint32_t seed = 1);
// Uniformly random bytes.
img::Bitmap Noise(int32_t width, int32_t height, uint32_t seed = 7);

bool SamePixels(const img::Bitmap& a, const img::Bitmap& b);
double Psnr(const img::Bitmap& a, const img::Bitmap& b);

// Runs a command (argv, no shell); answers its exit status and stdout.
int Run(const std::vector<std::string>& argv, std::string* out = nullptr);
bool HaveTool(const std::string& name);
// The system's Python (Debian's, which has python3-pil), not a user's own.
std::string Python();

// Raw B,G,R <-> files Pillow can read: a binary PPM (R,G,B).
void WritePpm(const img::Bitmap& b, const std::filesystem::path& path);
img::Bitmap ReadPpm(const std::filesystem::path& path);

// Whether the system's Python has Pillow.
bool HavePillow();
// Pillow's result of one operation of pillow_ref.py on `in` ("rotate 90",
// "unsharp 2 60", ...), worked in the folder `dir`; empty when it failed.
img::Bitmap PillowReference(const img::Bitmap& in, const std::vector<std::string>& op,
                            const std::filesystem::path& dir);

// Photos of orientations 1..8 as cameras write them ("orient-N.jpg", 96 x 64
// upright) and Pillow's ImageOps.exif_transpose of each
// ("orient-N-upright.ppm"), written into `dir`; false when Pillow failed.
bool MakeOrientedPhotos(const std::filesystem::path& dir);
// Pillow's upright picture of a JPEG; empty when it failed.
img::Bitmap PillowUpright(const std::filesystem::path& jpeg, const std::filesystem::path& dir);
// Whether two pictures of one scene agree within `tolerance` per channel at
// the centre of each of 4 x 4 cells (pictures of different sizes compare
// cell by cell), so a turned or mirrored picture never passes.
bool SameLayout(const img::Bitmap& a, const img::Bitmap& b, int tolerance = 24);

}  // namespace imgtest
