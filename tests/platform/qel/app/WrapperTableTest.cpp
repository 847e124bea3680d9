// Every wrapper call must reach Qel0Inter with its interface and method
// numbers and its arguments in the right slots.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "PubImage.h"
#include "PubQelmar.h"
#include "QelFreeFunctions.h"
#include "qel/QelElement.h"

namespace {

struct Call {
  int32_t iface, method;
  QELWPARAM w;
  QELLPARAM l;
  bool operator==(const Call& o) const {
    return iface == o.iface && method == o.method && w == o.w && l == o.l;
  }
};

class Recorder : public qel::Object {
 public:
  Recorder() : Object(QelFourCC("rcrd")) {}
  std::vector<Call> calls;
  intptr_t answer = 0;
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override {
    calls.push_back({iface, method, w, l});
    return answer;
  }
};

template <typename T>
QELLPARAM A(T* p) {
  return reinterpret_cast<QELLPARAM>(p);
}

TEST(Wrappers, InterfaceAndMethodNumbers) {
  auto* rec = new Recorder();
  QelObject h = rec->Handle();
  auto* el = static_cast<PubQelmar::QelElement*>(h);
  auto* panel = static_cast<PubQelmar::QelPanel*>(h);
  auto* combo = static_cast<PubQelmar::QelComboBox*>(h);
  auto* scroll = static_cast<PubQelmar::QelScroll*>(h);
  auto* album = static_cast<PubQelmar::QelAlbum*>(h);
  auto* img = static_cast<PubImage::QelImgControl*>(h);
  auto* pict = static_cast<PubImage::QelPicture*>(h);
  auto* layer = static_cast<PubImage::QelLayer*>(h);
  SIZE size{};
  POINT pt{};
  SRect32 rect{};
  WCHAR buf[8];
  int32_t idx = 0;
  tagDTScrollInfo info;
  const char* name = "butn_OK";
  QELCALLBACK cb = [](QelObject, int32_t, QELLPARAM, void*) { return int32_t(0); };

  struct Row {
    std::function<void()> call;
    Call want;
  };
  std::vector<Row> rows = {
      {[&] { static_cast<PubQelmar::QelSize*>(h)->GetSize(&size); }, {1, 3, 0, A(&size)}},
      {[&] { static_cast<PubQelmar::QelEnv*>(h)->GetSurface(); }, {2, 4, 0, 0}},
      {[&] { el->AutoLayout(); }, {3, 2, 0, 0}},
      {[&] { el->GetPosition(&pt); }, {3, 5, 0, A(&pt)}},
      {[&] { el->GetEnv(); }, {3, 6, 0, 0}},
      {[&] { el->IsVisible(); }, {3, 7, 0, 0}},
      {[&] { el->Show(1); }, {3, 8, 1, 0}},
      {[&] { el->IsEnable(); }, {3, 9, 0, 0}},
      {[&] { el->Enable(0); }, {3, 10, 0, 0}},
      {[&] { el->PutInsidePanel(panel, el); }, {3, 11, reinterpret_cast<QELWPARAM>(h), A(h)}},
      {[&] { el->PutInsidePanelAtEnd(panel); }, {3, 11, reinterpret_cast<QELWPARAM>(h), A(ADDEleEnd)}},
      {[&] { el->GetPanel(); }, {3, 12, 0, 0}},
      {[&] { el->GetElementByPos(&pt); }, {3, 13, 0, A(&pt)}},
      {[&] { el->SetCallback(cb, &idx); }, {3, 18, reinterpret_cast<QELWPARAM>(cb), A(&idx)}},
      {[&] { el->GetExistLayersetCount(); }, {3, 22, 0, 0}},
      {[&] { el->GetLayersetByIndex(2); }, {3, 23, 0, 2}},
      {[&] { el->GetStateLayersetByIndex(3); }, {3, 23, 1, 3}},
      {[&] { el->GetEleWidthMethod(); }, {3, 27, 0, 0}},
      {[&] { el->SetEleWidthMethod(1); }, {3, 28, 1, 0}},
      {[&] { el->GetEleHeightMethod(); }, {3, 29, 0, 0}},
      {[&] { el->SetEleHeightMethod(2); }, {3, 30, 2, 0}},
      {[&] { el->GetSFSSize(&size); }, {3, 33, 0, A(&size)}},
      {[&] { el->SetSFSSize(&size); }, {3, 34, 0, A(&size)}},
      {[&] { el->SetCursorID(1043, nullptr); }, {3, 62, 1043, 0}},
      {[&] { el->SetTips(buf); }, {3, 79, 0, A(buf)}},
      {[&] { el->StartRepeat(100); }, {39, 1, 100, 0}},
      {[&] { el->StopRepeat(); }, {39, 2, 0, 0}},
      {[&] { panel->GetElementCount(); }, {4, 5, 0, 0}},
      {[&] { panel->GetSubItem(4); }, {4, 6, 4, 0}},
      {[&] { panel->GetElementByName(name, 1); }, {4, 12, 1, A(name)}},
      {[&] { static_cast<PubQelmar::QelLayer*>(h)->GetLayerFrame(105); }, {5, 1, 105, 0}},
      {[&] { static_cast<PubQelmar::QelLayer*>(h)->SetLayerProperty(nullptr); }, {5, 8, 0, 0}},
      {[&] { static_cast<PubQelmar::QelAUI*>(h)->GetStr(27); }, {6, 2, 27, 0}},
      {[&] { static_cast<PubQelmar::QelLayerSet*>(h)->GetLayerCount(); }, {13, 1, 0, 0}},
      {[&] { static_cast<PubQelmar::QelLayerSet*>(h)->GetLayer(1); }, {13, 2, 1, 0}},
      {[&] { panel->_QelMargin()->GetMargin(&rect); }, {18, 1, 0, A(&rect)}},
      {[&] { panel->_QelMargin()->SetMargin(&rect); }, {18, 2, 0, A(&rect)}},
      {[&] { static_cast<PubQelmar::QelCheck*>(h)->GetCheckState(); }, {19, 1, 0, 0}},
      {[&] { static_cast<PubQelmar::QelCheck*>(h)->SetCheckState(1); }, {19, 2, 1, 0}},
      {[&] { el->_QelText()->GetText(buf, 8); }, {21, 26, 8, A(buf)}},
      {[&] { el->_QelText()->SetText(buf); }, {21, 27, 0, A(buf)}},
      {[&] { scroll->GetScrollPos(); }, {23, 1, 0, 0}},
      {[&] { scroll->SetScrollPos(5); }, {23, 2, 5, 0}},
      {[&] { scroll->GetScrollInfo(&info); }, {23, 3, 0, A(&info)}},
      {[&] { scroll->SetScrollInfo(&info); }, {23, 4, 0, A(&info)}},
      {[&] { scroll->SetMinValue(1); }, {23, 5, 1, 0}},
      {[&] { scroll->SetTotalNum(9); }, {23, 6, 9, 0}},
      {[&] { scroll->SetPageNum(3); }, {23, 7, 3, 0}},
      {[&] { scroll->SetStepFlag(1); }, {23, 11, 1, 0}},
      {[&] { static_cast<PubQelmar::QelEdit*>(h)->SetEditInfo(2, &idx); }, {24, 2, 2, A(&idx)}},
      {[&] { static_cast<PubQelmar::QelEdit*>(h)->SetLimitText(8); }, {24, 3, 8, 0}},
      {[&] { static_cast<PubQelmar::QelEdit*>(h)->GetHandle(); }, {24, 6, 0, 0}},
      {[&] { combo->ResetContent(); }, {29, 6, 0, 0}},
      {[&] { combo->GetSel(); }, {29, 8, 0, 0}},
      {[&] { combo->SetSel(2); }, {29, 9, 2, 0}},
      {[&] { combo->GetCount(); }, {29, 21, 0, 0}},
      {[&] { combo->ShowTips(1); }, {29, 26, 1, 0}},
      {[&] { combo->GetItemData(3); }, {29, 35, 3, 0}},
      {[&] { combo->SetItemData(3, &idx); }, {29, 36, 3, A(&idx)}},
      {[&] { combo->AddString(buf); }, {29, 50, 0, A(buf)}},
      {[&] { combo->FindString(-1, buf); }, {29, 53, -1, A(buf)}},
      {[&] { combo->SetTip(1, buf); }, {29, 54, 1, A(buf)}},
      {[&] { combo->GetStringByIndex(&idx, buf); }, {29, 55, reinterpret_cast<QELWPARAM>(&idx), A(buf)}},
      {[&] { static_cast<PubQelmar::QelSplitter*>(h)->SetAssociate(name, name + 1); },
       {30, 1, reinterpret_cast<QELWPARAM>(name), A(name + 1)}},
      {[&] { album->SetThumbWidth(96); }, {36, 2, 96, 0}},
      {[&] { album->SetThumbHeight(72); }, {36, 4, 72, 0}},
      {[&] { album->SetMinLayoutNum(1); }, {36, 6, 1, 0}},
      {[&] { album->SetMaxLayoutNum(9); }, {36, 8, 9, 0}},
      {[&] { album->GetNumOfItem(); }, {36, 15, 0, 0}},
      {[&] { album->SetHorizontal(1); }, {36, 18, 1, 0}},
      {[&] { album->GetItemByIndex(4); }, {36, 19, 4, 0}},
      {[&] { album->SetTemplate(el); }, {36, 20, 0, A(h)}},
      {[&] { album->QueryDispaly(nullptr); }, {36, 23, 0, 0}},
      {[&] { album->QuerySelect(nullptr); }, {36, 24, 0, 0}},
      {[&] { album->QueryCurrent(); }, {36, 25, 0, 0}},
      {[&] { album->InsertHead(&idx); }, {36, 27, 0, A(&idx)}},
      {[&] { album->InsertTail(&idx); }, {36, 27, -1, A(&idx)}},
      {[&] { album->DeleteItem(2); }, {36, 30, 2, 0}},
      {[&] { album->GetDisplayMinCR(&pt); }, {36, 36, 0, A(&pt)}},
      {[&] { album->GetIndexByPoint(&idx, &pt); }, {36, 37, reinterpret_cast<QELWPARAM>(&idx), A(&pt)}},
      {[&] { album->SetSingleSelect(1); }, {36, 39, 1, 0}},
      {[&] { album->SetKeyAction(1); }, {36, 41, 1, 0}},
      {[&] { album->SetSelect(nullptr); }, {36, 42, 0, 0}},
      {[&] { album->SetCurrentIndex(nullptr); }, {36, 43, 0, 0}},
      {[&] { album->SetHScrlShowState(1); }, {36, 44, 1, 0}},
      {[&] { album->SetVScrlShowState(0); }, {36, 45, 0, 0}},
      {[&] { album->GetCRByIndex(5, &pt); }, {36, 46, 5, A(&pt)}},
      {[&] { album->GetDisplayMaxCR(&pt); }, {36, 47, 0, A(&pt)}},
      {[&] { album->GetIndexByCR(&idx, &pt); }, {36, 48, reinterpret_cast<QELWPARAM>(&idx), A(&pt)}},
      {[&] { album->SetAdjustImageMode(1); }, {36, 53, 1, 0}},
      {[&] { album->GetItemDataByIndex(6); }, {36, 56, 6, 0}},
      {[&] { album->NavigateItem(2); }, {36, 65, 2, 0}},
      {[&] { album->GetSelectCount(); }, {36, 66, 0, 0}},
      {[&] { album->GetSelectItems(3, &idx); }, {36, 67, 3, A(&idx)}},
      {[&] { album->ResetContent(); }, {36, 69, 0, 0}},
      {[&] { album->IsCurrent(1); }, {36, 70, 1, 0}},
      {[&] { album->CancelDragDrop(); }, {36, 71, 0, 0}},
      {[&] { static_cast<PubQelmar::QelMenu*>(h)->GetMenuItemByName(name, 1); }, {43, 16, 1, A(name)}},
      {[&] { static_cast<PubQelmar::QelMenu*>(h)->PopupMenu(nullptr); }, {43, 21, 0, 0}},
      {[&] { img->SetZoom(12, 10); }, {100, 0, 12, 10}},
      {[&] { img->GetZoom(&idx, &idx); }, {100, 1, reinterpret_cast<QELWPARAM>(&idx), A(&idx)}},
      {[&] { img->SetMode(1); }, {100, 2, 1, 0}},
      {[&] { img->GetMode(); }, {100, 3, 0, 0}},
      {[&] { img->SetPictOrg(&pt); }, {100, 10, 0, A(&pt)}},
      {[&] { img->GetPictOrg(&pt); }, {100, 11, 0, A(&pt)}},
      {[&] { img->GetClientRect(&rect); }, {100, 14, 0, A(&rect)}},
      {[&] { img->SetShowQualityGrade(1); }, {100, 40, 1, 0}},
      {[&] { img->SetTrans(3); }, {100, 4, 3, 0}},
      {[&] { img->SetPict(pict); }, {100, 8, 0, A(h)}},
      {[&] { img->GetPict(nullptr); }, {100, 9, 0, 0}},
      {[&] { img->Invalidate(1, nullptr); }, {100, 15, 1, 0}},
      {[&] { img->SetNotify(cb, 77); }, {100, 16, 77, reinterpret_cast<QELLPARAM>(cb)}},
      {[&] { img->SetToolset(&idx); }, {100, 18, 0, A(&idx)}},
      {[&] { img->SetCurTool(4); }, {100, 20, 0, 4}},
      {[&] { img->GetCurTool(nullptr); }, {100, 21, 0, 0}},
      {[&] { img->RunOp(792, &idx); }, {100, 22, 792, A(&idx)}},
      {[&] { img->GetPictShowSize(&size); }, {100, 25, 0, A(&size)}},
      {[&] { img->NeedScroll(1); }, {100, 30, 1, 0}},
      {[&] { pict->Init(&size); }, {104, 0, 0, A(&size)}},
      {[&] { pict->GetSize(&size); }, {104, 3, 0, A(&size)}},
      {[&] { pict->GetLayerCount(); }, {104, 5, 0, 0}},
      {[&] { pict->GetLayer(1); }, {104, 6, 1, 0}},
      {[&] { pict->InsertLayer(0, layer); }, {104, 7, 0, A(h)}},
      {[&] { pict->RemoveLayer(1); }, {104, 8, 1, 0}},
      {[&] { pict->GetActiveLayer(); }, {104, 10, 0, 0}},
      {[&] { pict->MergeLayers(); }, {104, 16, 0, 0}},
      {[&] { pict->GetDepth(); }, {104, 19, 0, 0}},
      {[&] { pict->GetSelection(); }, {104, 25, 0, 0}},
      {[&] { pict->SetSize(&size); }, {104, 41, 0, A(&size)}},
      {[&] { pict->IsPtInSelection(nullptr); }, {104, 53, 0, 0}},
      {[&] { layer->SetRect(nullptr); }, {105, 5, 0, 0}},
      {[&] { layer->GetRect(nullptr); }, {105, 6, 0, 0}},
      {[&] { layer->GetVisible(); }, {105, 15, 0, 0}},
      {[&] { layer->CropResize(nullptr, nullptr); }, {105, 38, 0, 0}},
      {[&] { layer->Transform(nullptr); }, {105, 43, 0, 0}},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    rec->calls.clear();
    rows[i].call();
    ASSERT_EQ(rec->calls.size(), 1u) << "row " << i;
    const Call& got = rec->calls[0];
    EXPECT_TRUE(got == rows[i].want) << "row " << i << ": got " << got.iface << "/" << got.method
                                     << " w=" << got.w << " l=" << got.l;
  }
  // SetExifInfo packs its three values into one record.
  rec->calls.clear();
  pict->SetExifInfo(11020, &idx, 4);
  ASSERT_EQ(rec->calls.size(), 1u);
  EXPECT_EQ(rec->calls[0].iface, 104);
  EXPECT_EQ(rec->calls[0].method, 48);
  EXPECT_EQ(rec->calls[0].w, 0);
  EXPECT_NE(rec->calls[0].l, 0);
  EXPECT_EQ(Qel0Release(h), 0);
}

TEST(Wrappers, ResultsComeBackAsThirtyTwoBitsOrPointers) {
  auto* rec = new Recorder();
  auto* el = static_cast<PubQelmar::QelElement*>(rec->Handle());
  rec->answer = static_cast<int32_t>(0x81500001u);
  EXPECT_EQ(el->IsVisible(), static_cast<int32_t>(0x81500001u));
  EXPECT_LT(el->IsVisible(), 0);
  int marker = 0;
  rec->answer = reinterpret_cast<intptr_t>(&marker);
  EXPECT_EQ(static_cast<void*>(el->GetPanel()), &marker);
  EXPECT_EQ(el->GetType(), QelFourCC("rcrd"));
  EXPECT_EQ(el->Retain(), 2);
  EXPECT_EQ(el->Release(), 1);
  EXPECT_EQ(el->Release(), 0);
}

TEST(Wrappers, FreeFunctionsFindByNameFirst) {
  QelObject root = Qel0CreateObj(QelFourCC("cata"));
  QelObject button = Qel0CreateObj(QelFourCC("butn"));
  qel::Element::From(button)->SetName("butn_Delete");
  auto* panel = static_cast<PubQelmar::QelPanel*>(root);
  static_cast<PubQelmar::QelElement*>(button)->PutInsidePanelAtEnd(panel);
  Qel0Release(button);
  QELCALLBACK cb = [](QelObject, int32_t, QELLPARAM, void* d) {
    ++*static_cast<int*>(d);
    return int32_t(0);
  };
  int clicks = 0;
  EXPECT_EQ(SetCallBack(panel, "BUTN_delete", cb, &clicks), 0);
  EXPECT_EQ(SetCallBack(panel, "butn_Missing", cb, &clicks), 0);
  EXPECT_EQ(SetCallBack(static_cast<PubQelmar::QelPanel*>(nullptr), "x", cb, &clicks), 0);
  qel::Element::From(button)->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(EnableElement(panel, "butn_Delete", 0), 0);
  EXPECT_EQ(static_cast<PubQelmar::QelElement*>(button)->IsEnable(), 0);
  auto* menu = static_cast<PubQelmar::QelMenu*>(root);
  EXPECT_EQ(ShowElement(menu, "butn_Delete", 0), 0);
  EXPECT_EQ(static_cast<PubQelmar::QelElement*>(button)->IsVisible(), 0);
  EXPECT_EQ(EnableElement(menu, "butn_Delete", 1), 0);
  EXPECT_EQ(static_cast<PubQelmar::QelElement*>(button)->IsEnable(), 1);
  Qel0Release(root);
}

TEST(Wrappers, SizedRecordsStartWithTheirSize) {
  tagDTScrollInfo info;
  EXPECT_EQ(info.cbSize, 32u);
  EXPECT_EQ(info.fMask, 0u);
  SETLAYERDATA data;
  EXPECT_EQ(data.cbSize, sizeof(SETLAYERDATA));
  EXPECT_EQ(data.pBits, nullptr);
}

}  // namespace
