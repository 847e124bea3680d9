#pragma once
// The pages as the user sees them: the current page large, and a strip of
// page pictures with the page number and buttons to scroll it. Every
// picture comes from the print layout control (command 8 for the page at
// the size it is shown, command 20 for the strip); a picture clicked makes
// its page the current one (command 7).
#include <cstdint>
#include <functional>
#include <vector>

#include "qel/QelElement.h"
#include "qel/QelImageControl.h"
#include "qel/QelTypes.h"

class CPageStrip {
 public:
  static constexpr int32_t kThumbs = 4;
  using CommandFn = std::function<intptr_t(uint32_t, intptr_t, const void*)>;
  using PaperFn = std::function<SIZE()>;  // the paper's size, any unit

  // Elements by name under `root`: "imgc_Page", "imgc_Thumb0".., "cata_Thumb0"..
  // (the frame marking the current page), "butn_PagePrev", "butn_PageNext",
  // "view_PageNum".
  CPageStrip(qel::Element* root, CommandFn command, PaperFn paper);
  ~CPageStrip();
  CPageStrip(const CPageStrip&) = delete;
  CPageStrip& operator=(const CPageStrip&) = delete;

  // The control's pages changed: every picture made again.
  void Refresh();
  // Picture `slot` of the strip clicked.
  void Pick(int32_t slot);
  // The strip moved by one page.
  void Scroll(int32_t step);
  int32_t Pages() const { return m_nPages; }
  int32_t Current() const { return m_nCurrent; }  // 0-based; -1 when none
  int32_t First() const { return m_nFirst; }      // page of the strip's first picture

 private:
  void ShowPage();
  void ShowThumbs();
  void ShowNumber();
  static void Put(qel::ImageControl* control, intptr_t picture);
  static int32_t Thumb_Proc(QelObject element, int32_t code, QELLPARAM, void* data);

  CommandFn m_command;
  PaperFn m_paper;
  qel::ImageControl* m_pPage = nullptr;
  qel::ImageControl* m_pThumbs[kThumbs] = {};
  qel::Element* m_pFrames[kThumbs] = {};
  qel::Element* m_pPrev = nullptr;
  qel::Element* m_pNext = nullptr;
  qel::Element* m_pNumber = nullptr;
  int32_t m_nPages = 0;
  int32_t m_nCurrent = -1;
  int32_t m_nFirst = 0;
};
