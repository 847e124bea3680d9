#include "MacPiece.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestEnvironment.h"
#include "qel/QelElement.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

namespace {

std::u16string W(const std::string& utf8) { return QelFromUTF8(utf8); }

TEST(MacPiece, SplitsExistingPathsOnly) {
  auto dir = testenv::MakeTempDir("split");
  testenv::WriteFile(dir / "a.b.xml", "x");
  std::filesystem::create_directory(dir / "x.d");
  WCHAR drive[QEL_MAX_PATH] = u"?", folder[QEL_MAX_PATH], name[QEL_MAX_PATH], ext[QEL_MAX_PATH];
  std::string real = std::filesystem::canonical(dir).string();

  _splitpath(W((dir / "a.b.xml").string()).c_str(), drive, folder, name, ext);
  EXPECT_EQ(std::u16string(drive), u"");
  EXPECT_EQ(std::u16string(folder), W(real));
  EXPECT_EQ(std::u16string(name), u"a.b");
  EXPECT_EQ(std::u16string(ext), u".xml");

  _splitpath(W((dir / "x.d").string()).c_str(), nullptr, nullptr, name, ext);
  EXPECT_EQ(std::u16string(name), u"x.d");  // folders have no extension
  EXPECT_EQ(std::u16string(ext), u"");

  _splitpath(W((dir / "missing.jpg").string()).c_str(), nullptr, folder, name, ext);
  EXPECT_EQ(std::u16string(folder), u"");
  EXPECT_EQ(std::u16string(name), u"");
}

TEST(MacPiece, MakesPathsFromParts) {
  WCHAR out[QEL_MAX_PATH];
  struct Case { const char16_t *folder, *name, *ext, *want; } cases[] = {
      {u"/tmp", u"a", u"jpg", u"/tmp/a.jpg"},
      {u"/tmp", u"a", u"", u"/tmp/a."},   // a given empty extension keeps its dot
      {u"tmp", u"a", u"png", u"/tmp/a.png"},
      {u"/tmp", u"", u"", u"/tmp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::u16string(_tmakepath(out, u"", c.folder, c.name, c.ext)), c.want);
  }
  char small[8];
  makepath(small, "", "/folder", "name", "jpg", sizeof small);
  EXPECT_STREQ(small, "");  // too long: empty, never cut
  EXPECT_EQ(std::u16string(MakeFullPath(u"/a/", u"/b").c_str()), u"/a/b");
  EXPECT_EQ(std::u16string(MakeFullPath(u"", u"b").c_str()), u"b");
  CQelStringW p(u"/x");
  PathAddBackslash(p);
  EXPECT_EQ(std::u16string(p.c_str()), u"/x/");
  RemoveBacksplash(p);
  EXPECT_EQ(std::u16string(p.c_str()), u"/x");
  CQelStringW empty;
  PathAddBackslash(empty);
  EXPECT_TRUE(empty.IsEmpty());
}

TEST(MacPiece, TextConversionsNeverOverflowOrHalfConvert) {
  // Three bytes of UTF-8 a unit: longer than twice the units.
  std::u16string cjk(1500, u'\u65e5');
  char* utf8 = W2ACopy(cjk.c_str());
  ASSERT_NE(utf8, nullptr);
  EXPECT_EQ(std::string(utf8).size(), 4500u);
  WCHAR* back = A2WCopy(utf8);
  EXPECT_EQ(std::u16string(back), cjk);
  std::free(utf8);
  std::free(back);
  EXPECT_EQ(W2ACopy(nullptr), nullptr);

  char buf[4];
  EXPECT_EQ(unichar_to_utf8(u"\u00e9\u00e9", buf, sizeof buf), nullptr);  // 5 bytes do not fit in 4
  EXPECT_NE(unichar_to_utf8(u"\u00e9", buf, sizeof buf), nullptr);
  WCHAR wide[8];
  EXPECT_EQ(utf8_to_unichar("\xff\xfe", wide, 8), nullptr);  // not UTF-8
  EXPECT_NE(utf8_to_unichar("ok", wide, 8), nullptr);
  EXPECT_EQ(IsBadReadPtr(nullptr, 4), 0);
  EXPECT_EQ(IsBadReadPtr(buf, 4), 1);
  EXPECT_EQ(IsBadWritePtr(buf, 4), 1);
}

TEST(MacPiece, FileTestsDeleteAndSpecs) {
  auto dir = testenv::MakeTempDir("files");
  auto file = dir / "pic.jpg";
  testenv::WriteFile(file, "x");
  std::u16string wfile = W(file.string());
  EXPECT_EQ(PathFileExists(wfile.c_str()), 1);
  FSSpec spec;
  EXPECT_EQ(PathToSpec(wfile.c_str(), &spec), 1);
  EXPECT_EQ(spec.name, "pic.jpg");
  EXPECT_EQ(DeleteFile(wfile.c_str()), 1);
  EXPECT_EQ(PathFileExists(wfile.c_str()), 0);
  EXPECT_EQ(DeleteFile(wfile.c_str()), 0);
  // A missing file in an existing folder: the folder and the leaf, but 0.
  FSSpec missing;
  EXPECT_EQ(PathToSpec(W((dir.string() + "//new.jpg")).c_str(), &missing), 0);
  EXPECT_EQ(missing.name, "new.jpg");
  EXPECT_EQ(missing.parent, std::filesystem::canonical(dir).string());
  EXPECT_EQ(PathToSpec(u"/no/such/folder/x.jpg", &missing), 0);
}

TEST(MacPiece, EventsBecomeMessages) {
  tagMSG msg;
  MacEvent enter;
  enter.eventClass = kMacEventClassKeyboard;
  enter.kind = 1;
  enter.character = 3;
  enter.time = 2.0;
  ASSERT_EQ(EventToMSG(std::make_shared<const MacEvent>(enter), &msg, 1, nullptr), 1);
  EXPECT_EQ(msg.message, 256u);
  EXPECT_EQ(msg.wParam, 13);
  EXPECT_EQ(msg.time, 120u);
  EXPECT_NE(msg.event, nullptr);

  MacEvent wheel;
  wheel.eventClass = kMacEventClassMouse;
  wheel.kind = 10;
  wheel.wheelDelta = -1;
  EventToMSG(std::make_shared<const MacEvent>(wheel), &msg, 0, nullptr);
  EXPECT_EQ(msg.message, 522u);
  EXPECT_EQ(uint32_t(msg.wParam), 0xFFFF0000u);
  EXPECT_EQ(msg.event, nullptr);

  MacEvent posted;
  posted.eventClass = kMacEventClassMessage;
  posted.kind = 2024;
  posted.wParam = 7;
  posted.lParam = 9;
  MacQueueEvent(posted);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, 2024u);
  EXPECT_EQ(msg.wParam, 7);
  EXPECT_EQ(msg.lParam, 9);
  EXPECT_EQ(TranslateMessage(&msg), 1);
  EXPECT_EQ(DispatchMessage(&msg), -1);
  MacEndMessageWait();  // nobody waits: nothing to end
  MacQueueEvent(posted);
  g_idle_add(
      [](gpointer) -> gboolean {
        EXPECT_EQ(MacMessageLoopDepth(), 1);
        MacEndMessageWait();
        return G_SOURCE_REMOVE;
      },
      nullptr);
  EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);  // the queued one first
  EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);  // then the wait is ended
  EXPECT_EQ(MacMessageLoopDepth(), 0);
  EXPECT_EQ(EventToMSG(nullptr, &msg, 1, nullptr), 0);
}

TEST(MacPiece, CommandKeyIsControlHere) {
  qel::input::SetModifiers(qel::PointerInput::kControl);
  EXPECT_EQ(GetKeyState(256), -1);
  EXPECT_EQ(GetKeyState(512), 0);
  qel::input::SetModifiers(qel::PointerInput::kShift);
  EXPECT_EQ(GetKeyState(256), 0);
  EXPECT_EQ(GetKeyState(512), -1);
  qel::input::SetModifiers(0);
  EXPECT_EQ(IsWindowEnabled(nullptr), 0);
  EXPECT_EQ(GetDC(nullptr), nullptr);
}

}  // namespace
