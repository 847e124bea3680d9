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

}  // namespace imgtest
