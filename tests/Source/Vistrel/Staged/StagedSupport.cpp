#include "StagedSupport.h"

#include <cairo.h>

#include <cstdlib>

#include "TestEnvironment.h"
#include "img/ImageFile.h"

namespace fs = std::filesystem;

namespace vistreltest {

namespace {
std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
}  // namespace

fs::path ViewerCopy(const fs::path& dir) {
  fs::path app = dir / "Viewer Under Test.app";
  fs::copy(testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Vistrel.app", app, fs::copy_options::recursive);
  fs::rename(app / "Contents/MacOS/Dunsellow Vistrel", app / "Contents/MacOS/Viewer Under Test");
  return app / "Contents/MacOS/Viewer Under Test";
}

bool HaveXTools() {
  return std::system("{ command -v Xvfb && command -v xwininfo && command -v xdotool && command -v import"
                     " && /usr/bin/python3 -c 'import PIL'; } >/dev/null 2>&1") == 0;
}

fs::path AssetList(const fs::path& dir, const std::string& name, const std::vector<fs::path>& files, size_t first) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SelectedAssetList>\n  <FirstFile>" +
                    files[first].string() + "</FirstFile>\n";
  for (const fs::path& f : files) xml += "  <FilePath>" + f.string() + "</FilePath>\n";
  xml += "</SelectedAssetList>\n";
  testenv::WriteFile(dir / name, xml);
  return dir / name;
}

void WriteTwoColourJpeg(const fs::path& path, int width, int height) {
  img::Bitmap b = img::Bitmap::Create(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int x = 0; x < width; ++x) {
      bool left = x < width / 2;
      row[3 * x + 0] = left ? 0x20 : 0xd0;  // B, G, R
      row[3 * x + 1] = left ? 0x20 : 0x40;
      row[3 * x + 2] = left ? 0xd0 : 0x20;
    }
  }
  img::JpegOptions options;
  options.quality = 92;
  img::SaveJpeg(b, path.string(), options);
}

fs::path HelperDir() { return testenv::SourceDir() / "tests/Source/Vistrel/Staged"; }

int RunOnPrivateX(const fs::path& script, const std::vector<std::string>& args) {
  std::string command = "env QEL_BACKEND=gtk GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory timeout 100 sh " +
                        Quoted((HelperDir() / "with-xvfb.sh").string()) + " 1280x800 sh " + Quoted(script.string());
  for (const std::string& a : args) command += " " + Quoted(a);
  return std::system(command.c_str());
}

long CountNear(const fs::path& png, int r, int g, int b) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return -1;
  }
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  long count = 0;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      int pr = (row[x] >> 16) & 0xff, pg = (row[x] >> 8) & 0xff, pb = row[x] & 0xff;
      if (std::abs(pr - r) < 40 && std::abs(pg - g) < 40 && std::abs(pb - b) < 40) ++count;
    }
  }
  cairo_surface_destroy(s);
  return count;
}

}  // namespace vistreltest
