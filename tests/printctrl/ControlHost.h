#pragma once
// A 'prtc' element as its host drives it: the element with a callback that
// records every notification (and may act on it, as a print dialog sets the
// cancel flag while it hears of progress), and a print manager that records
// the job it is asked to print.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PrintCtrlTestSupport.h"
#include "PrintRequest.h"
#include "qel/QelCore.h"

namespace pctest {

// The calls of a print job, one line each: "start <name>", "page",
// "layer <l,t,r,b> <w>x<h>", "end page", "end <cancelled>".
class RecordingPrintManager : public TemplatePrintManager {
 public:
  std::vector<std::string> calls;
  int startAnswer = 1, endAnswer = 1;
  int StartPrint(const WCHAR* name) override;
  int EndPrint(int cancelled) override;
  int StartPage() override;
  int EndPage() override;
  int PrintLayer(QelObject layer, SRect32* dest) override;
  int Count(const std::string& prefix) const;
};

struct ElementHost : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  intptr_t Cmd(uint32_t c, intptr_t w = 0, const void* l = nullptr);
  // The manager attached and its template (four cells, 600 x 800 paper at 100 dpi) applied.
  void Attach();
  std::u16string Photo(const std::string& name, const img::Bitmap& pixels);
  intptr_t AddPhoto(const std::u16string& path);
  // Command 13 with this request; the cancel flag's address is kept.
  intptr_t Print(tagDOPRINTINFO info);
  intptr_t Action(long action, intptr_t arg = 0) { return Cmd(3, action, reinterpret_cast<const void*>(arg)); }
  std::vector<int32_t> Codes() const;
  std::vector<intptr_t> Data(int32_t code) const;
  std::vector<int32_t> ErrorCodes() const;

  QelObject element = nullptr;
  CPrintProject* project = nullptr;
  RecordingPrintManager* manager = nullptr;
  std::filesystem::path dir;
  std::vector<std::pair<int32_t, intptr_t>> got;
  std::vector<int32_t> errors;  // codes of 2123, read while the record lives
  std::function<void(int32_t code, intptr_t data)> onNotify;
  int32_t* cancel = nullptr;
};

}  // namespace pctest
