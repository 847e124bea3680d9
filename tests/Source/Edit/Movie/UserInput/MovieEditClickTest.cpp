// The movie editor as a user meets it inside the program, clicked through
// the X server: play and pause, back, the step buttons, the play bar, the
// three handles of the trim bar, brightness and contrast, a snapshot,
// Reset, Save As into GTK's file chooser and Save over the movie.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ProgramUser.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MovieEditClick : public ProgramUser {
 public:
  void SetUp() override {
    folder_ = testenv::Root() / "home/Documents/Document Camera Media/Capture";
    fs::create_directories(folder_);
    movie_ = folder_ / "lesson.mov";
    ASSERT_EQ(std::system((std::string(FFMPEG) + " -nostdin -v error -y -f lavfi -i testsrc2=s=320x240:r=10:d=3 "
                                                 "-f lavfi -i sine=frequency=440:duration=3 -c:v mpeg4 -q:v 3 "
                                                 "-c:a pcm_s16le '" + movie_.string() + "'")
                              .c_str()),
              0);
  }
  // The home page's edit button, then the movie chosen in the album.
  void OpenMovie() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";  // GTK's file chooser takes keys
    Start();
    if (IsSkipped()) return;
    ASSERT_TRUE(user_->Focus(Frame()));  // placed and shown by the window manager
    OpenEditModule();
    if (HasFatalFailure()) return;
    auto first = Inside("albumtable", 60, 60);
    ASSERT_TRUE(first);
    ASSERT_TRUE(user_->ClickAt(*first));
    ASSERT_TRUE(user_->WaitFor([this] { return Shown("vcata1") && Enabled("chck_Playpause"); }))
        << "the movie is in the editor";
  }
  // Read on the GTK thread (inside WaitFor).
  qel::Element* Movie(const char* name) { return Find("vcata1")->FindByName(name, true); }
  int32_t Width(const char* name) { return Movie(name)->FrameSize().cx; }
  int32_t PlayHead() { return Width("cata_PosLeft"); }
  bool Playing() { return Movie("chck_Playpause")->Check() != 0; }
  std::string Position() { return QelToUTF8(Movie("view_Position")->Text()); }
  int32_t Slider(const char* name) { return Find(name)->Scroll().pos; }
  std::string State() {
    return "play-head " + std::to_string(PlayHead()) + ", play bar " + std::to_string(Slider("hscrl_PlayProgress")) +
           ", trim " + std::to_string(Width("cata_CropLeft")) + "/" + std::to_string(Width("cata_CropRight")) +
           ", sliders " + std::to_string(Slider("hscrl_1")) + "/" + std::to_string(Slider("hscrl_2")) +
           ", playing " + std::to_string(Playing()) + ", at " + Position();
  }
  // A point on screen `fraction` of the way along an element.
  std::optional<POINT> Along(const char* name, double fraction) {
    SRect32 r{};
    user_->OnMain([&] { r = Find(name)->Bounds(); });
    return Inside(name, int32_t((r.right - r.left) * fraction), (r.bottom - r.top) / 2);
  }
  // The message after a save: its OK clicked.
  void AcknowledgeSaved() {
    CQelModalWnd* message = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] { return (message = Modal()) != nullptr && ShownIn(message, "butn_OK"); }, 60))
        << "no message after the save";
    ASSERT_TRUE(user_->Click(message, "butn_OK"));
    ASSERT_TRUE(user_->WaitFor([] { return Modal() == nullptr; }));
  }

  fs::path folder_, movie_;
};

TEST_F(MovieEditClick, EveryControlOfTheMovieEditor) {
  OpenMovie();
  if (IsSkipped() || HasFatalFailure()) return;
  const fs::path out = testenv::BuildDir() / "screenshots";
  fs::create_directories(out);
  EXPECT_TRUE(qel::gtk::SaveWindowPng(Frame(), (out / "movie-editor-click.png").string()));
  const std::string before = Bytes(movie_);

  // How each control is used: a click at its centre, a click a fraction of
  // the way along it, or a drag of `dx` pixels from its centre.
  enum How { kClick, kAlong, kDrag };
  struct Row {
    const char* control;
    How how;
    double amount;
    const char* expected;
    std::function<bool(MovieEditClick*)> effect;
  };
  int32_t mark = 0;  // the play-head before a step back, or before a drag
  const Row rows[] = {
      {"chck_Playpause", kClick, 0, "plays: checked, the play-head moves",
       [](MovieEditClick* t) { return t->Playing() && t->PlayHead() > 0; }},
      {"chck_Playpause", kClick, 0, "pauses", [](MovieEditClick* t) { return !t->Playing(); }},
      {"butn_Back", kClick, 0, "the play-head back at the start", [](MovieEditClick* t) { return t->PlayHead() == 0; }},
      {"butn_Right", kClick, 0, "one step forward",
       [&](MovieEditClick* t) { return (mark = t->PlayHead()) > 0; }},
      {"butn_Left", kClick, 0, "one step back", [&](MovieEditClick* t) { return t->PlayHead() < mark; }},
      {"hscrl_PlayProgress", kAlong, 0.75, "seeks three quarters in: the time read-out and the play-head follow",
       [&](MovieEditClick* t) {
         return t->Slider("hscrl_PlayProgress") > 60 && t->Position() == "00:00:02" && t->PlayHead() > mark;
       }},
      {"butn_Pos", kDrag, 40, "the play-head dragged on",
       [](MovieEditClick* t) { return t->PlayHead() > 0; }},
      {"butn_CropLeft", kDrag, 40, "the start trimmed, Save on",
       [](MovieEditClick* t) { return t->Width("cata_CropLeft") > 0 && t->Enabled("butn_Save"); }},
      {"butn_CropRight", kDrag, -40, "the end trimmed", [](MovieEditClick* t) { return t->Width("cata_CropRight") > 0; }},
      {"hscrl_1", kAlong, 0.8, "brighter", [](MovieEditClick* t) { return t->Slider("hscrl_1") > 0; }},
      {"hscrl_2", kAlong, 0.2, "less contrast", [](MovieEditClick* t) { return t->Slider("hscrl_2") < 0; }},
      {"butn_Capture", kClick, 0, "a snapshot beside the movie",
       [](MovieEditClick* t) { return fs::exists(t->folder_ / "Snapshot_Image1.jpg"); }},
      {"butn_Reset", kClick, 0, "no trim, no adjustment, Reset off",
       [](MovieEditClick* t) {
         return t->Width("cata_CropLeft") == 0 && t->Width("cata_CropRight") == 0 && t->Slider("hscrl_1") == 0 &&
                t->Slider("hscrl_2") == 0 && !t->Enabled("butn_Reset");
       }},
  };
  user_->Run([&] {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.control) + ": " + row.expected);
      // The snapshot button has a namesake in the capture module.
      qel::Element* element = nullptr;
      user_->OnMain([&] { element = Movie(row.control) ? Movie(row.control) : Find(row.control); });
      ASSERT_NE(element, nullptr);
      if (row.how == kClick) {
        ASSERT_TRUE(user_->Click(Frame(), element));
      } else if (row.how == kAlong) {
        auto at = Along(row.control, row.amount);
        ASSERT_TRUE(at);
        ASSERT_TRUE(user_->ClickAt(*at));
      } else {
        auto from = user_->Where(Frame(), element);
        ASSERT_TRUE(from) << "not on screen";
        ASSERT_TRUE(user_->PressAt(*from));
        const int32_t step = row.amount < 0 ? -4 : 4;
        for (int32_t dx = step; std::abs(dx) <= std::abs(int32_t(row.amount)); dx += step)
          ASSERT_TRUE(user_->MoveTo(POINT{from->x + dx, from->y}));
        ASSERT_TRUE(user_->ReleaseAt(POINT{from->x + int32_t(row.amount), from->y}));
      }
      if (!user_->WaitFor([&] { return row.effect(this); }, 10)) {
        std::string state;
        user_->OnMain([&] { state = State(); });
        ADD_FAILURE() << "no effect; now " << state;
      }
    }

    // Save As: a copy named in GTK's file chooser; the movie stays as it was.
    auto brighter = Along("hscrl_1", 0.8);
    ASSERT_TRUE(brighter);
    ASSERT_TRUE(user_->ClickAt(*brighter));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_Save"); }));
    const fs::path copy = folder_ / "copy.mov";
    ASSERT_TRUE(user_->Click(Frame(), "butn_Saveas"));
    ASSERT_TRUE(user_->WaitFor([] { return testenv::ShownToplevel("GtkFileChooserDialog") != nullptr; }));
    user_->Settle();
    ASSERT_TRUE(user_->Key("ctrl+a"));
    ASSERT_TRUE(user_->Type(copy.string()));
    ASSERT_TRUE(user_->Key("Return"));
    AcknowledgeSaved();
    EXPECT_GT(fs::exists(copy) ? fs::file_size(copy) : 0, 0u);
    EXPECT_TRUE(Bytes(movie_) == before);

    // Save over the movie: nothing left to save.
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_Save"); }));
    ASSERT_TRUE(user_->Click(Frame(), "butn_Save"));
    AcknowledgeSaved();
    EXPECT_TRUE(user_->WaitFor([&] { return !Enabled("butn_Save"); }));
    EXPECT_FALSE(Bytes(movie_) == before);
  });
}

}  // namespace
