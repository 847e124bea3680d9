#include "Template.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(CTemplate, DefaultsAndClampedSpacing) {
  CTemplate t;
  int32_t w = 0, h = 0, x = 0, y = 0;
  EXPECT_EQ(t.GetTemplatePaperSize(&w, &h), 1);
  EXPECT_EQ(w, 5100);
  EXPECT_EQ(h, 6600);
  EXPECT_EQ(t.GetPortrait(), 1);
  EXPECT_EQ(t.GetImperial(), 1);
  EXPECT_DOUBLE_EQ(t.GetRecommendedScaling(), 100.0);
  t.SetTemplateSpace(150, -5);
  EXPECT_EQ(t.GetTemplateSpace(&x, &y), 1);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 0);
  // Both pointers are needed; one alone writes nothing.
  w = -1;
  EXPECT_EQ(t.GetTemplatePaperSize(&w, nullptr), 0);
  EXPECT_EQ(w, -1);
}

TEST(CTemplate, NamesIgnoreNullAndCellsOwnTheirTexts) {
  auto t = std::make_unique<CTemplate>();
  t->SetBrandName(u"Generic");
  t->SetBrandName(nullptr);
  EXPECT_EQ(std::u16string(t->GetBrandName()), u"Generic");
  t->AddCell(SRect32{0, 0, 10, 20}, u"mask.png", nullptr);
  t->AddCell(SRect32{10, 0, 20, 20}, u"", u"x");
  ASSERT_EQ(t->GetCellCount(), 2);
  EXPECT_EQ(std::u16string(t->GetCell(0)->szMask), u"mask.png");
  EXPECT_EQ(t->GetCell(0)->szExtra, nullptr);
  EXPECT_EQ(t->GetCell(1)->szMask, nullptr);  // empty text is no text
  EXPECT_EQ(t->GetCell(2), nullptr);
  EXPECT_EQ(t->GetCell(-1), nullptr);

  // The new list takes over; a text that moves along is not freed.
  std::vector<_CELLRECT> cells{t->GetCellList()[0], _CELLRECT{{1, 1, 2, 2}, ZylDupText(u"m2"), nullptr}};
  t->SetCellList(std::move(cells));
  ASSERT_EQ(t->GetCellCount(), 2);
  EXPECT_EQ(std::u16string(t->GetCell(0)->szMask), u"mask.png");
  EXPECT_EQ(std::u16string(t->GetCell(1)->szMask), u"m2");
  t->ClearCellList();
  EXPECT_EQ(t->GetCellCount(), 0);
  t->AddCell(SRect32{0, 0, 1, 1}, u"kept until the template goes");
  CTemplate* base = t.release();
  delete base;  // through the virtual destructor, frees the texts (checked by the address sanitizer)
}

}  // namespace
