// The numbered settings a host sets (command 2) and reads (command 18).
#include <algorithm>
#include <cstring>

#include "PrintPage.h"
#include "PrintPreview.h"
#include "PrintProject.h"

namespace {

template <typename T>
const T* In(const void* p) {
  return static_cast<const T*>(p);
}
template <typename T>
T* Out(const void* p) {
  return static_cast<T*>(const_cast<void*>(p));
}

// A host's wide text, bounded: texts of 1024 units or more are refused.
bool ReadText(const void* p, std::u16string& out) {
  const WCHAR* s = In<WCHAR>(p);
  if (!s) {
    out.clear();
    return true;
  }
  size_t n = 0;
  while (s[n] && n < 1024) ++n;
  if (n >= 1024) return false;
  out.assign(s, n);
  return true;
}

// Copies a text out: null answers its length; a copy is always terminated
// (the host's buffers hold 1024 units).
intptr_t WriteText(const std::u16string& text, const void* out) {
  if (!out) return intptr_t(text.size());
  if (text.size() > 1023) return 1;
  WCHAR* o = Out<WCHAR>(out);
  std::copy(text.begin(), text.end(), o);
  o[text.size()] = 0;
  return 1;
}

}  // namespace

intptr_t CPrintProject::_SetParam(long id, const void* value) {
  const int32_t v = int32_t(reinterpret_cast<intptr_t>(value));
  if (id >= 0 && id <= 33) {
    switch (id) {
      case 3: case 19: case 20: case 22:
        return 1;  // not settable
      case 0:
        if (v == m_nParam[0]) return 1;
        m_nParam[0] = v;
        if (!m_nParam[6]) {
          for (long p = 0; p < long(m_pages.size()); ++p) {
            CPrintPage* page = m_pages[size_t(p)];
            for (long i = 0; i < page->GetCellCount(); ++i) {
              CPrintCell* c = page->GetCell(unsigned(i));
              if (c->isText || c->resIndex < 0) continue;
              if (v) c->DoAutoCrop(true);
              else c->DoZoom(0);
            }
            _PageThumbChanged(p);
          }
          SetNeedSave(1);
        }
        return 1;
      case 5:
        m_nParam[5] = v == 1 ? 1 : 0;
        return 1;
      case 6: {
        const int32_t on = v ? 1 : 0;
        if (on == m_nParam[6]) return 1;
        m_nParam[6] = on;
        if (!on) {
          m_brand.clear(), m_templateName.clear();
          return 1;
        }
        _UpdateCropMarkFlag();
        _CreateTmpPagesTexts();
        _ClearCellMaskPics();
        DeletePage(-1);
        SetCellClipBoard(nullptr);
        m_nSlot = 0, m_nShift = 0, m_bResetSlots = 1;
        m_brand = u"FreeStyle", m_templateName = u"Custom";
        _RefreshImg(0, 0, nullptr);
        _ClearTmpPagesTexts();
        return 1;
      }
      case 7: case 8: case 29: case 30:
        m_nParam[id] = v;
        m_pImageList->SetProjectValue(int(id), v);
        if (id == 30) m_pImageList->SetNoPreload(v != 0);
        return 1;
      case 9:
        SetNeedSave(v);
        return 1;
      case 17: case 18:
        if (!value) return 1;
        m_nParam[id] = *In<int32_t>(value);
        return 1;
      case 21: {
        const int32_t old = m_nParam[21];
        m_nParam[21] = v;
        if (v == old || m_nParam[6] || (!v && !m_nParam[27])) return 1;
        bool changed = false;
        for (long p = 0; p < long(m_pages.size()); ++p) {
          CPrintPage* page = m_pages[size_t(p)];
          bool pageChanged = false;
          for (long i = 0; i < page->GetCellCount(); ++i) {
            CPrintCell* c = page->GetCell(unsigned(i));
            if (c->isText || c->resIndex < 0) continue;
            long angle;
            int fa, fb;
            c->GetImgState(angle, fa, fb);
            if (v) {
              const int32_t cw = c->cellRect.right - c->cellRect.left, ch = c->cellRect.bottom - c->cellRect.top;
              if (cw == ch || c->picWidth == c->picHeight) continue;
              if ((c->picWidth > c->picHeight) == (cw > ch)) continue;
              c->DoAutoRotate(m_pImageList->GetOrgDispPiclAngle(c->resIndex));
            } else {
              if (angle % 360 == 0) continue;
              c->DoRotate(360 - angle % 360);
            }
            pageChanged = true;
          }
          if (pageChanged) _PageThumbChanged(p), changed = true;
        }
        if (changed) SetNeedSave(1);
        return 1;
      }
      case 24:
        SetPreview(v);
        return 1;
      default:
        m_nParam[id] = v;
        return 1;
    }
  }
  switch (id) {
    case 201: m_nUndoDepth = uint32_t(v); return 1;
    case 202: {
      if (!value) return 0;
      const int32_t* s = In<int32_t>(value);
      m_thumbSize = SIZE{std::max(s[0], 0), std::max(s[1], 0)};
      return 1;
    }
    case 203: return ReadText(value, m_label) ? 1 : 0;
    case 207:
      if (!value) return 1;
      return ReadText(value, m_productLabel) ? 1 : 0;
    case 210: case 211: {
      if (!value) return 0;
      const int32_t* s = In<int32_t>(value);
      if (id == 210) m_pImageList->SetDisMaxWH(s[0], s[1]);
      else m_pImageList->SetThumbMaxWH(s[0], s[1]);
      return 1;
    }
    case 212: case 213: case 214: case 221: case 222: {
      if (!value) return 0;
      const int32_t n = *In<int32_t>(value);
      if ((id == 214 || id == 222) && (n < 0 || n > 65534)) return 0;
      if (id == 212) m_nTextCellsPerPage = uint32_t(n);
      else if (id == 213) m_nResThreshold = n;
      else if (id == 214) m_nFreePageCells = uint32_t(n);
      else if (id == 221) m_nCopiesOfOne = uint32_t(n);
      else m_nPrintedPictures = uint32_t(n);
      return 1;
    }
    case 215:
      if (!ReadText(value, m_resFolder)) return 0;
      if (m_pPreview) {
        m_pPreview->InitSubUIs(m_resFolder);
        m_pPreview->ShowPage(GetPage(m_nCurPage));
      }
      return 1;
    case 216: case 217: case 226: case 230: {
      if (!value) return 0;
      uint8_t* to = id == 216 ? m_style216 : id == 217 ? m_style217 : id == 226 ? m_titleStyle : m_tailStyle;
      std::memcpy(to, value, 92);
      if (id >= 226 && m_pPrintMgr) m_pPrintMgr->SetHeadTailHeight(0, 0);
      return 1;
    }
    case 218: case 219: case 220: case 227: case 228: case 231: case 232: case 234: case 241: {
      if (!value) return 0;
      const int32_t n = *In<int32_t>(value);
      if (id == 218) m_colour2 = n;
      else if (id == 219) m_colour1 = n;
      else if (id == 220) m_nStored220 = n;
      else if (id == 227 || id == 228) m_title[id - 227] = n;
      else if (id == 234) m_title[2] = n;
      else if (id == 231 || id == 232) m_tail[id - 231] = n;
      else m_nStored241 = n;
      if ((id == 234) && m_pPrintMgr) m_pPrintMgr->SetHeadTailHeight(0, 0);
      return 1;
    }
    case 235: case 236:
      if (value) m_tail[id - 233] = *In<int32_t>(value);
      if (m_pPrintMgr) m_pPrintMgr->SetHeadTailHeight(0, 0);
      return 1;
    case 223: m_nTurnAngle = v == 90 ? 270 : 90;  // stored as 360 - angle
      m_pImageList->SetAutoRotateAngle(m_nTurnAngle);
      return 1;
    case 229: case 233: {
      if (!ReadText(value, id == 229 ? m_titleText : m_tailText)) return 0;
      if (m_pPrintMgr) m_pPrintMgr->SetHeadTailHeight(0, 0);
      return 1;
    }
    case 237: case 238: {
      if (!value) return 0;
      const intptr_t* w = In<intptr_t>(value);
      const WCHAR* text = reinterpret_cast<const WCHAR*>(w[1]);
      if (id == 237) m_pImageList->SetShotTime(long(w[0]), text);
      else m_pImageList->SetOtherInfo(long(w[0]), text);
      return 1;
    }
    case 239: case 240:
      if (value && *In<int32_t>(value) > 0 && m_pPrintMgr) {
        if (id == 239) m_pPrintMgr->SetCustomX(*In<int32_t>(value));
        else m_pPrintMgr->SetCustomY(*In<int32_t>(value));
      }
      return 1;
    default:
      return 1;  // accepted and ignored
  }
}

intptr_t CPrintProject::GetParam(long id, const void* out) {
  if (id >= 0 && id <= 33) {
    int32_t v = id == 9 ? m_nParam[9] : m_nParam[id];
    if (id == 24) v = m_pPreview ? 1 : 0;
    if (out) *Out<int32_t>(out) = v;
    return v;
  }
  auto put = [&](int32_t v) {
    if (!out) return intptr_t(0);
    *Out<int32_t>(out) = v;
    return intptr_t(1);
  };
  switch (id) {
    case 201: return put(int32_t(m_nUndoDepth));
    case 202:
      if (out) Out<int32_t>(out)[0] = m_thumbSize.cx, Out<int32_t>(out)[1] = m_thumbSize.cy;
      return 0;
    case 203: return out ? WriteText(m_label, out) : 0;
    case 205: return put(int32_t(_GetActionBtnState()));
    case 206: {
      if (!out) return 0;
      CPrintPage* p = GetPage(m_nCurPage);
      *Out<int32_t>(out) = p ? int32_t(p->GetActiveCell()) : -1;
      return 1;
    }
    case 207: return WriteText(m_productLabel, out);
    case 208: {
      CPrintPage* p = out ? GetPage(*In<int32_t>(out)) : nullptr;
      return p ? p->GetTextCellsNum() : 0;
    }
    case 209:
      if (out) *Out<int32_t>(out) = int32_t(m_nCurPage);
      return long(m_pages.size());
    case 210: case 211: {
      if (!out) return 0;
      int32_t* o = Out<int32_t>(out);
      int w = 0, h = 0;
      if (id == 210) m_pImageList->GetDispMaxWH(&w, &h);
      else m_pImageList->GetThumbMaxWH(&w, &h);
      o[0] = w, o[1] = h;
      return 1;
    }
    case 212: return put(int32_t(m_nTextCellsPerPage));
    case 213: return put(m_nResThreshold);
    case 214: return put(int32_t(m_nFreePageCells));
    case 215: return WriteText(m_resFolder, out);
    case 216: case 217: case 226: case 230:
      if (!out) return 0;
      std::memcpy(Out<uint8_t>(out), id == 216 ? m_style216 : id == 217 ? m_style217 : id == 226 ? m_titleStyle : m_tailStyle, 92);
      return 1;
    case 218: return put(m_colour2);
    case 219: return put(m_colour1);
    case 220: return put(m_nStored220);
    case 221: return put(int32_t(m_nCopiesOfOne));
    case 222: return put(int32_t(m_nPrintedPictures));
    case 223: return put(360 - m_nTurnAngle);
    case 224: return m_bCropMark ? 1 : 0;
    case 225: {
      int px = 0, py = 0;
      if (m_nParam[6] || !m_pTemplate || !GetPrintPixel(px, py) || px < 1 || py < 1) return 0;
      for (int i = 0; i < m_pTemplate->GetCellCount(); ++i) {
        const SRect32 r = m_pTemplate->GetCell(i)->rc;
        if (double(r.right - r.left) / px >= 1.51 && double(r.bottom - r.top) / py >= 1.51) return 1;
      }
      return 0;
    }
    case 227: case 228: return put(m_title[id - 227]);
    case 234: return put(m_title[2]);
    case 231: case 232: return put(m_tail[id - 231]);
    case 235: case 236: return put(m_tail[id - 233]);
    case 229: return out ? WriteText(m_titleText, out) : 0;
    case 233: return out ? WriteText(m_tailText, out) : 0;
    case 239: case 240: {
      if (!out || !m_pPrintMgr) return 0;
      int x = 0, y = 0;
      m_pPrintMgr->GetCustomXY(x, y);
      *Out<int32_t>(out) = id == 239 ? x : y;
      return 1;
    }
    default:
      return 0;
  }
}
