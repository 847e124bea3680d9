#include "CommandLine.h"

#include <algorithm>
#include <cstring>

#include "MacMSG.h"
#include "MyMainFrame.h"
#include "MyQelApp.h"
#include "qel/QelWideText.h"

bool SplitCommandLine(std::u16string_view text, std::u16string* moduleName, std::u16string* argument) {
  if (text.empty() || text[0] != u'-') return false;
  size_t slash = text.find(u'/');
  if (slash != std::u16string_view::npos) {
    if (argument) argument->assign(text.substr(slash + 1));
  } else {
    slash = text.size();
  }
  if (moduleName) moduleName->assign(text.substr(1, slash - 1));
  return true;
}

std::u16string CommandModuleName(std::u16string_view name) {
  std::u16string out;
  for (char16_t c : name) {
    if (c != u' ') out.push_back(c);
  }
  return out;
}

bool SameModuleName(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

namespace {

// Copies into a buffer of `units` units, always terminated.
void CopyOut(const std::u16string& text, WCHAR* out, size_t units) {
  size_t n = std::min(text.size(), units - 1);
  std::memcpy(out, text.data(), n * sizeof(WCHAR));
  out[n] = 0;
}

}  // namespace

int32_t CMyMainFrame::CommandLine(WCHAR* moduleName, WCHAR* argument) {
  std::u16string module, arg;
  bool hasArgument = false;
  std::u16string_view text(theApp.MacCommandLine());
  if (!SplitCommandLine(text, &module, &arg)) return 1;
  hasArgument = text.find(u'/') != std::u16string_view::npos;
  if (argument && hasArgument) CopyOut(arg, argument, kArgumentUnits);
  if (moduleName) CopyOut(module, moduleName, kArgumentUnits);
  return 1;
}

int32_t CMyMainFrame::GetCommand() {
  WCHAR moduleName[kArgumentUnits] = {};
  if (m_bDispatching) return 1;
  m_bDispatching = 1;
  struct Clear {
    int32_t& flag;
    ~Clear() { flag = 0; }
  } clear{m_bDispatching};

  m_szArgument[0] = 0;
  CommandLine(moduleName, m_szArgument);
  if (!m_pModuleMgr || moduleName[0] == 0) return 1;

  std::u16string_view wanted(moduleName);
  int32_t target = -1;
  for (size_t i = 0; i < m_pModuleMgr->GetModuleCount(); ++i) {
    CQelStringW name = m_pModuleMgr->GetModuleNameByIndex(i);
    if (SameModuleName(CommandModuleName(name.c_str()), wanted)) {
      target = m_pModuleMgr->GetModuleLibID(i);
      break;
    }
  }
  if (target < 0) return 1;
  uint32_t libID = static_cast<uint32_t>(target);

  IORVAction* active = nullptr;
  m_pModuleMgr->GetActiveEmbeddedAction(&active);
  if (active) {
    uint32_t current = active->GetLibID();
    active->Release();
    if (current == libID) {
      if (m_szArgument[0] != 0) {
        // Each posted message carries its own copy of the argument.
        m_pendingArguments.emplace_back(m_szArgument);
        PostMessage(ORV_MSG_COMMAND_ARGUMENT, reinterpret_cast<QELWPARAM>(m_pendingArguments.back().c_str()), 0);
      }
      return 1;
    }
    if (m_pModuleMgr->AskForClose() != 0) return kCommandRefused;
    if (SwitchModuleAskForClose(libID)) {
      CloseCurEmbedAction(1);
      LaunchModule(libID, 1);
    }
    return 1;
  }
  // No module is up: one animated launch from the home page at a time.
  // The flag stands while that launch animates; LaunchModule sets it and
  // its end, a failure or any way home clears it.
  if (!m_bFirstLaunch) LaunchModule(libID, 0);
  return 1;
}

intptr_t CMyMainFrame::OnCommandLine(QELWPARAM, QELLPARAM lp) {
  if (m_pendingArguments.empty()) return 0;
  std::u16string text = std::move(m_pendingArguments.front());
  m_pendingArguments.pop_front();
  ForwardToModule(ORV_MSG_COMMAND_ARGUMENT, 0, lp, &text);
  return 0;
}
