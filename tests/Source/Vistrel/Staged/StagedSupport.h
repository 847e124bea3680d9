#pragma once
// The staged viewer as a real process on a private X server.
#include <filesystem>
#include <string>
#include <vector>

namespace vistreltest {

// A copy of the staged viewer under a name of its own (the main program's
// tests end every process named "Dunsellow Vistrel" of the user, and they
// may run at the same time); the path of its executable.
std::filesystem::path ViewerCopy(const std::filesystem::path& dir);
// Xvfb, xwininfo, xdotool and ImageMagick's import are there.
bool HaveXTools();
// An asset list as the albums write it.
std::filesystem::path AssetList(const std::filesystem::path& dir, const std::string& name,
                                const std::vector<std::filesystem::path>& files, size_t first);
// A JPEG whose left half is red (#d02020) and right half blue (#2040d0).
void WriteTwoColourJpeg(const std::filesystem::path& path, int width, int height);
// Runs `script` with `args` under sh on a private X server of 1280 x 800 on
// the GTK backend; the exit status of the whole.
int RunOnPrivateX(const std::filesystem::path& script, const std::vector<std::string>& args);
// The folder of this test's helper scripts.
std::filesystem::path HelperDir();
// Pixels of a PNG close to a colour (-1 when it cannot be read).
long CountNear(const std::filesystem::path& png, int r, int g, int b);

}  // namespace vistreltest
