// The movie editor as the user meets it in the edit module: play, pause and
// back to the trim start; a trim by the bar's handle, brightness, a snapshot
// beside the movie and a save over it with the progress dialog, judged by
// ffprobe and FFmpeg's decoder; a cancelled save that leaves the movie as it
// was.
#include <gtest/gtest.h>
#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "LoopWait.h"
#include "EditModuleFixture.h"
#include "qel/QelElementLayers.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using testloop::PumpFor;
using testloop::PumpUntil;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// ffprobe's duration of the movie's video or audio stream, in seconds.
double StreamSeconds(const fs::path& movie, const char* stream) {
  return std::atof(RunCommand(std::string(FFPROBE) + " -v error -select_streams " + stream +
                              " -show_entries stream=duration -of csv=p=0 '" + movie.string() + "'")
                       .c_str());
}

class MovieInModule : public EditModuleTest {
 protected:
  void Open(const fs::path& movie) {
    movie_ = movie;
    Start();
    LaunchEdit();
    ASSERT_EQ(Current(), movie.filename().string());
    ASSERT_TRUE(Shown("vcata1"));
  }
  // The trim bar's width from the trim start to the play-head.
  int32_t PlayHead() { return Find("cata_PosLeft")->FrameSize().cx; }
  bool Playing() { return hl::Read(&Frame(), "chck_Playpause").check != 0; }
  // Files a save left behind in the media folder.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(MediaFolder())) {
      if (e.path().filename().string().rfind(".tmpSaveMov", 0) == 0) names.push_back(e.path().filename().string());
    }
    return names;
  }
  void Pointer(qel::PointerInput::Kind kind, POINT at) {
    qel::PointerInput in;
    in.kind = kind;
    in.at = at;
    qel::input::Pointer(&Frame(), in);
  }

  fs::path movie_;
};

TEST_F(MovieInModule, PlaysPausesGoesBackAndStopsAtTheTrimEnd) {
  Open(MakeMovie("clip.mov"));
  // Every control of the play and trim rows lies inside the movie area,
  // above the adjustments.
  const SRect32 area = Find("vcata1")->Bounds();
  const int32_t tools = Find("hcata_tools")->Bounds().top;
  for (const char* name : {"chck_Playpause", "view_Duration", "butn_Capture", "butn_Left", "butn_CropRight", "butn_Right"}) {
    const SRect32 r = Find("vcata1")->FindByName(name, true)->Bounds();
    EXPECT_TRUE(r.left >= area.left && r.right <= area.right && r.bottom <= std::min(area.bottom, tools)) << name;
  }
  // A movie smaller than the preview area shows at its own size, centred.
  const SRect32 preview = Find("cata_Preview")->Bounds();
  const SRect32 picture = Find("view_PreviewFrame")->Bounds();
  EXPECT_EQ(picture.right - picture.left, 64);
  EXPECT_EQ(picture.bottom - picture.top, 48);
  EXPECT_NEAR(picture.left - preview.left, preview.right - picture.right, 1);
  EXPECT_NEAR(picture.top - preview.top, preview.bottom - picture.bottom, 1);
  EXPECT_EQ(PlayHead(), 0);
  ASSERT_TRUE(hl::Click(&Frame(), "chck_Playpause"));
  EXPECT_TRUE(Playing());
  ASSERT_TRUE(PumpUntil([&] { return PlayHead() > 0; })) << "the play-head never moved";
  // Paused, the play-head stays.
  ASSERT_TRUE(hl::Click(&Frame(), "chck_Playpause"));
  EXPECT_FALSE(Playing());
  const int32_t paused = PlayHead();
  PumpFor(400);
  EXPECT_EQ(PlayHead(), paused);
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Back"));
  Pump();
  EXPECT_EQ(PlayHead(), 0);
  // Played to the end: it stops, unchecked, the play-head back at the start.
  ASSERT_TRUE(hl::Click(&Frame(), "chck_Playpause"));
  ASSERT_TRUE(PumpUntil([&] { return PlayHead() > 0; }));
  ASSERT_TRUE(PumpUntil([&] { return !Playing(); })) << "the movie never ended";
  EXPECT_EQ(PlayHead(), 0);
  EXPECT_EQ(Find("view_Position")->Text(), u"00:00:00");
}

// A paused movie draws nothing until a new frame comes; the trim bar's
// handles follow the window when it is resized.
TEST_F(MovieInModule, APausedMovieRestsAndTheTrimBarFollowsAResize) {
  Open(MakeMovie("clip.mov"));
  qel::ElementLayers* layers = Find("view_PreviewFrame")->Layers(false);
  ASSERT_NE(layers, nullptr);
  PumpFor(200);
  cairo_surface_t* shown = layers->Layer()->Surface();
  ASSERT_NE(shown, nullptr);
  PumpFor(400);
  EXPECT_EQ(layers->Layer()->Surface(), shown) << "the paused movie was drawn again";
  ASSERT_TRUE(hl::Click(&Frame(), "chck_Playpause"));
  ASSERT_TRUE(PumpUntil([&] { return layers->Layer()->Surface() != shown; })) << "playing drew no frame";
  ASSERT_TRUE(hl::Click(&Frame(), "chck_Playpause"));
  PumpFor(100);
  shown = layers->Layer()->Surface();
  PumpFor(400);
  EXPECT_EQ(layers->Layer()->Surface(), shown);

  // The untrimmed end handle sits at the strip's end, before and after the
  // window grows.
  auto gap = [&] { return Find("cata_cutstrip")->Bounds().right - Find("butn_CropRight")->Bounds().right; };
  const int32_t before = gap();
  SRect32 bounds = Frame().Bounds();
  bounds.right += 400;
  Frame().MoveWindow(&bounds);
  Pump();
  ASSERT_TRUE(PumpUntil([&] { return gap() == before; }, 3)) << "the end handle stayed " << gap() << " px short";
}

TEST_F(MovieInModule, TrimmedBrightenedSnapshottedAndSavedOverTheFile) {
  Open(MakeMovie("clip.mov"));
  EXPECT_FALSE(Enabled("butn_Save"));
  // The right handle dragged all the way left: half a second stays.
  qel::Element* handle = Find("butn_CropRight");
  ASSERT_NE(handle, nullptr);
  const POINT from{handle->Position().x + handle->LaidOutSize().cx / 2,
                   handle->Position().y + handle->LaidOutSize().cy / 2};
  Pointer(qel::PointerInput::kDown, from);
  for (int32_t dx = 10; dx <= 1000; dx += 10) Pointer(qel::PointerInput::kMove, POINT{from.x - dx, from.y});
  Pointer(qel::PointerInput::kUp, POINT{from.x - 1000, from.y});
  Pump();
  EXPECT_GT(Find("cata_CropRight")->FrameSize().cx, 0);
  EXPECT_TRUE(Enabled("butn_Reset"));
  EXPECT_TRUE(Enabled("butn_Save"));
  ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_1", 60));
  Pump();

  // A snapshot: a JPEG beside the movie, added to the album; the movie stays current.
  // (The capture module has a button of that name too.)
  qel::Element* snapshot = Find("vcata1")->FindByName("butn_Capture", true);
  ASSERT_TRUE(snapshot && snapshot->EffectivelyVisible() && snapshot->EffectivelyEnabled());
  ASSERT_TRUE(snapshot->Click());
  Pump();
  EXPECT_TRUE(fs::exists(MediaFolder() / "Snapshot_Image1.jpg"));
  EXPECT_EQ(AlbumNames(), (std::vector<std::string>{"Snapshot_Image1.jpg", "clip.mov"}));
  EXPECT_EQ(Current(), "clip.mov");
  EXPECT_TRUE(Enabled("butn_Save"));

  // Saved over the file: the progress dialog names it, then "saved" with
  // the information icon, not a warning.
  std::u16string info;
  hl::AnswerNextModalBy([&](CQelWindow* w) { info = hl::Read(w, "view_Info").text; });
  std::string icon;
  bool warning = true;
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    warning = hl::Read(w, "TextBox").visible;
    if (hl::Read(w, "TextInfo").visible) icon = hl::FindElement(w, "TextInfo")->ImagePath();
    hl::Click(w, "butn_OK");
  });
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Save"));
  Pump();
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_EQ(info, QelFromUTF8(movie_.string()));
  EXPECT_FALSE(warning);
  EXPECT_EQ(icon, "theme:dialog-information-symbolic");
  EXPECT_NEAR(StreamSeconds(movie_, "v:0"), 0.5, 0.1 + 1e-3);
  EXPECT_NEAR(StreamSeconds(movie_, "a:0"), StreamSeconds(movie_, "v:0"), 0.1 + 1e-3);
  EXPECT_EQ(RunCommand(std::string(FFMPEG) + " -nostdin -v error -i '" + movie_.string() + "' -f null - 2>&1"), "");
  // Grey 128 made brighter.
  const std::string grey = RunCommand(std::string(FFMPEG) + " -nostdin -v error -i '" + movie_.string() +
                                      "' -frames:v 1 -vf format=gray -f rawvideo - | od -An -tu1 -N1");
  EXPECT_GT(std::atoi(grey.c_str()), 128 + 20);
  // Nothing left to save, also once the timers have run; the editor shows
  // the saved movie; no stray files.
  PumpFor(600);
  EXPECT_FALSE(Enabled("butn_Save"));
  EXPECT_FALSE(Enabled("butn_Reset"));
  EXPECT_EQ(Find("view_Duration")->Text(), u"00:00:00");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(MovieInModule, ACancelledSaveLeavesTheMovieByteForByte) {
  // Long enough that the encoding is still under way at the first poll.
  const fs::path movie = MediaFolder() / "long.mov";
  ASSERT_EQ(std::system((std::string(FFMPEG) + " -nostdin -v error -y -f lavfi -i testsrc2=s=640x360:r=30:d=20 "
                                               "-f lavfi -i sine=frequency=440:duration=20 -c:v mpeg4 -q:v 3 "
                                               "-c:a pcm_s16le '" + movie.string() + "'")
                            .c_str()),
            0);
  Open(movie);
  const std::string before = Bytes(movie);
  ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_2", 40));
  Pump();
  // Escape in the progress dialog cancels like its button; no message follows.
  hl::AnswerNextModalKey(27);
  hl::AnswerNextModal("butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Save"));
  Pump();
  EXPECT_EQ(hl::PendingModalAnswers(), 1u) << "a message came after the cancel";
  hl::ClearModalAnswers();
  EXPECT_TRUE(Bytes(movie) == before);
  EXPECT_TRUE(Leftovers().empty());
  // The edits stay open.
  EXPECT_TRUE(Enabled("butn_Save"));
}

}  // namespace
