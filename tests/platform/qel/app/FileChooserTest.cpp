// File choosers on the headless backend: scripted answers, the requests they
// were shown with, and the extension test the choosers filter with.
#include <gtest/gtest.h>

#include "qel/QelFileChooser.h"
#include "qel/QelHeadless.h"

namespace {

namespace hl = qel::headless;

qel::FileChooserRequest JpegOpen() {
  qel::FileChooserRequest r;
  r.action = qel::FileChooserRequest::kOpen;
  r.folder = "/srv/pictures";
  r.filters = {{u"JPEG (*.JPG, *.JPEG)", {".JPG", ".JPEG"}}, {u"All", {}}};
  r.selectedFilter = 1;
  return r;
}

TEST(FileChooser, ScriptedAnswersInOrderAndTheRequestsKept) {
  hl::ClearFileChoosers();
  hl::AnswerNextFileChooser({"/srv/pictures/a.jpg", "/srv/pictures/b.jpg"});
  hl::CancelNextFileChooser();
  hl::AnswerNextFileChooser({"/srv/out"}, 0);

  qel::FileChooserResult first = qel::RunFileChooser(JpegOpen());
  EXPECT_TRUE(first.chosen);
  EXPECT_EQ(first.paths, (std::vector<std::string>{"/srv/pictures/a.jpg", "/srv/pictures/b.jpg"}));
  EXPECT_EQ(first.filter, 1) << "the filter the chooser started with";

  qel::FileChooserResult second = qel::RunFileChooser(JpegOpen());
  EXPECT_FALSE(second.chosen);
  EXPECT_TRUE(second.paths.empty());

  qel::FileChooserRequest folder;
  folder.action = qel::FileChooserRequest::kSelectFolder;
  qel::FileChooserResult third = qel::RunFileChooser(folder);
  EXPECT_TRUE(third.chosen);
  EXPECT_EQ(third.paths, std::vector<std::string>{"/srv/out"});

  // Nothing scripted: cancelled rather than waiting for a user.
  EXPECT_FALSE(qel::RunFileChooser(folder).chosen);
  EXPECT_FALSE(qel::FileChooserOpen());

  std::vector<qel::FileChooserRequest> shown = hl::FileChooserRequests();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].folder, "/srv/pictures");
  EXPECT_EQ(shown[0].filters[0].extensions, (std::vector<std::string>{".JPG", ".JPEG"}));
  EXPECT_EQ(shown[2].action, qel::FileChooserRequest::kSelectFolder);
  hl::ClearFileChoosers();
  EXPECT_TRUE(hl::FileChooserRequests().empty());
}

TEST(FileChooser, AnEmptyChoiceCountsAsCancelled) {
  hl::ClearFileChoosers();
  hl::AnswerNextFileChooser({});
  EXPECT_FALSE(qel::RunFileChooser(JpegOpen()).chosen);
}

TEST(FileChooser, ExtensionsCompareIgnoringCase) {
  const std::vector<std::string> jpeg{".JPG", ".JPEG"};
  struct Case {
    const char* name;
    bool listed;
  } cases[] = {{"photo.jpeg", true}, {"PHOTO.JPG", true},   {"photo.jpeg.txt", false},
               {"photojpg", false},  {".jpg", true},        {"jpg", false},
               {"photo.JpEg", true}, {"photo.jpe", false}};
  for (const Case& c : cases) EXPECT_EQ(qel::NameHasExtension(c.name, jpeg), c.listed) << c.name;
  EXPECT_FALSE(qel::NameHasExtension("photo.jpg", {}));
  EXPECT_FALSE(qel::NameHasExtension("photo.jpg", {""}));
}

}  // namespace
