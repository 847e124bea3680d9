#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CQelStringW.h"

namespace {

std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str(), size_t(s.GetLength())); }

}  // namespace

TEST(CQelStringW, EmptyStringsShareTheToolkitData) {
  CQelStringW a;
  CQelStringW b(u"");
  CQelStringW c(static_cast<const WCHAR*>(nullptr));
  CQelStringW d(a);
  for (const CQelStringW* s : {&a, &b, &c, &d}) {
    EXPECT_EQ(s->GetData(), QelEmptyStringData());
    EXPECT_TRUE(s->IsEmpty());
    EXPECT_EQ(s->c_str()[0], 0);
  }
  EXPECT_EQ(QelEmptyStringData()->nRefs, -1);  // never counted
}

TEST(CQelStringW, CopiesShareUntilOneWrites) {
  CQelStringW first(u"photo");
  EXPECT_EQ(first.GetData()->nRefs, 1);
  EXPECT_EQ(first.GetData()->nAllocLength, 5);
  {
    CQelStringW copy(first);
    EXPECT_EQ(copy.c_str(), first.c_str());
    EXPECT_EQ(first.GetData()->nRefs, 2);
    copy += u".jpg";
    EXPECT_EQ(S(copy), u"photo.jpg");
    EXPECT_EQ(S(first), u"photo");
    EXPECT_EQ(first.GetData()->nRefs, 1);
    CQelStringW assigned;
    assigned = first;
    EXPECT_EQ(first.GetData()->nRefs, 2);
  }
  EXPECT_EQ(first.GetData()->nRefs, 1);

  // A private buffer with room appends in place.
  CQelStringW grow(u"abcdef");
  grow = u"ab";
  const WCHAR* before = grow.c_str();
  grow += u"cd";
  EXPECT_EQ(grow.c_str(), before);
  EXPECT_EQ(S(grow), u"abcd");
  grow += grow;
  EXPECT_EQ(S(grow), u"abcdabcd");
}

TEST(CQelStringW, LockedBufferIsCopiedNotShared) {
  CQelStringW locked(u"held");
  locked.GetData()->nRefs = -1;
  CQelStringW copy(locked);
  EXPECT_NE(copy.c_str(), locked.c_str());
  EXPECT_EQ(S(copy), u"held");
  EXPECT_EQ(copy.GetData()->nRefs, 1);
  CQelStringW assigned(u"x");
  assigned = locked;
  EXPECT_NE(assigned.c_str(), locked.c_str());
  EXPECT_EQ(S(assigned), u"held");
  EXPECT_EQ(locked.GetData()->nRefs, -1);
}

TEST(CQelStringW, ReplaceTable) {
  struct Case {
    const WCHAR* text;
    const WCHAR* oldText;
    const WCHAR* newText;
    int count;
    const WCHAR* result;
  } cases[] = {
      {u"abcab", u"ab", u"xyz", 2, u"xyzcxyz"},
      {u"abcab", u"", u"xyz", 0, u"abcab"},
      {u"abcab", nullptr, u"xyz", 0, u"abcab"},
      {u"aaaa", u"aa", u"a", 2, u"aa"},
      {u"aaa", u"aa", u"b", 1, u"ba"},
      {u"abc", u"b", nullptr, 1, u"ac"},
      {u"abc", u"q", u"z", 0, u"abc"},
      {u"", u"a", u"b", 0, u""},
  };
  for (const auto& c : cases) {
    CQelStringW s(c.text);
    CQelStringW shared(s);
    EXPECT_EQ(s.Replace(c.oldText, c.newText), c.count);
    EXPECT_EQ(S(s), c.result);
    EXPECT_EQ(S(shared), c.text);  // the other copy never changes
  }
}

TEST(CQelStringW, LeftMidFind) {
  CQelStringW s(u"hello");
  EXPECT_TRUE(s.Left(-3).IsEmpty());
  EXPECT_EQ(S(s.Left(100)), u"hello");
  EXPECT_EQ(S(s.Left(2)), u"he");
  EXPECT_EQ(S(s.Mid(1, 3)), u"ell");
  EXPECT_EQ(S(s.Mid(-4, 2)), u"he");
  EXPECT_EQ(S(s.Mid(3)), u"lo");
  EXPECT_TRUE(s.Mid(9).IsEmpty());
  EXPECT_TRUE(s.Mid(1, -1).IsEmpty());
  EXPECT_EQ(S(s.Mid(2, 100)), u"llo");
  EXPECT_EQ(s.Find(u'l'), 2);
  EXPECT_EQ(s.Find(u'l', 3), 3);
  EXPECT_EQ(s.Find(u'l', 4), -1);
  EXPECT_EQ(s.Find(u'o', 5), -1);
  EXPECT_EQ(s.Find(u'z'), -1);
  EXPECT_EQ(s[size_t(1)], u'e');
  EXPECT_EQ(s[4], u'o');
}

TEST(CQelStringW, FormatConcatCompareAndUTF8) {
  CQelStringW s;
  s.Format(u"%s=%d", u"w", 5);
  EXPECT_EQ(S(s), u"w=5");
  s.Format(u"%c%s", int(u'\u00E9'), u"t\u00E9");
  EXPECT_EQ(S(s), u"\u00E9t\u00E9");

  CQelStringW a(u"Capture");
  EXPECT_EQ(S(a + CQelStringW(u"/ZoomIn")), u"Capture/ZoomIn");
  EXPECT_EQ(S(u"-" + a), u"-Capture");
  EXPECT_EQ(a.CompareNoCase(u"CAPTURE"), 0);
  std::u16string other = u"Capture";
  EXPECT_TRUE(a == other.c_str());  // by characters, not by address
  EXPECT_TRUE(u"Capture" == a);
  EXPECT_TRUE(a != u"capture");
  EXPECT_TRUE(CQelStringW() == static_cast<const WCHAR*>(nullptr));
  EXPECT_TRUE(a == CQelStringW(other.c_str()));
  EXPECT_NE(a.CompareNoCase(u"Captures"), 0);

  char buf[16];
  EXPECT_EQ(s.GetUTF8String(buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(s.GetUTF8String(buf, 3), 0);  // does not fit
  EXPECT_EQ(CQelStringW::SafeStrlen(nullptr), 0);
}

TEST(CQelStringW, MakeFSRefTellsWhetherThePathExists) {
  EXPECT_EQ(CQelStringW(u"/").MakeFSRef(), 1);
  std::string path;
  EXPECT_EQ(CQelStringW(u"/tmp").MakeFSRef(&path), 1);
  EXPECT_EQ(path, "/tmp");
  EXPECT_EQ(CQelStringW(u"/no/such/place/\u00E9").MakeFSRef(), 0);
  EXPECT_EQ(CQelStringW().MakeFSRef(), 0);
}

TEST(CQelStringW, CountsHoldAcrossThreads) {
  CQelStringW shared(u"one string for every thread");
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < 20000; ++i) {
        CQelStringW copy(shared);
        CQelStringW other;
        other = copy;
        if (i % 100 == 0) other += u"!";  // private now; the shared one unchanged
      }
    });
  }
  go = true;
  for (auto& t : threads) t.join();
  EXPECT_EQ(shared.GetData()->nRefs, 1);
  EXPECT_EQ(S(shared), u"one string for every thread");
}
