// The menu bar and its commands: the help page, the Options dialog and the
// About dialog. The bar is described here (texts from the program's string
// table); the commands reach the main window through one handler.
#include <cstdio>

#include "DlgOption.h"
#include "DlgSplash.h"
#include "HelpFunc.h"
#include "MacMSG.h"
#include "MyMainFrame.h"
#include "MyQelApp.h"
#include "qel/QelMenuBar.h"

namespace {

constexpr uint32_t kCommandHelp = QelFourCC("help");
constexpr uint32_t kCommandOptions = QelFourCC("opti");
constexpr uint32_t kCommandAbout = QelFourCC("abou");
constexpr uint32_t kCommandQuit = QelFourCC("quit");
// Served by the extras plug-in, which is not shipped: they have no items.
constexpr uint32_t kExtrasCommands[] = {QelFourCC("visi"), QelFourCC("more"), QelFourCC("avai"), QelFourCC("feba")};

// String-table ids of the menu texts.
enum : uint32_t {
  kTextProgramMenu = 40,
  kTextAbout = 41,
  kTextOptions = 42,
  kTextQuit = 43,
  kTextHelpMenu = 44,
  kTextHelp = 45,
};

std::u16string Text(uint32_t id, const char16_t* fallback) {
  CQelStringW text = CMyQelApp::vLoadResString(id);
  return text.IsEmpty() ? std::u16string(fallback) : std::u16string(text.c_str());
}

qel::MenuBarItem Item(uint32_t textId, const char16_t* fallback, uint32_t command, const char* key = "") {
  qel::MenuBarItem item;
  item.text = Text(textId, fallback);
  item.command = command;
  item.key = key;
  return item;
}

qel::MenuBarItem Separator() {
  qel::MenuBarItem item;
  item.separator = true;
  return item;
}

}  // namespace

qel::MenuBar CMyMainFrame::LoadMenuBar() {
  qel::MenuBar bar(2);
  bar[0].id = kProgramMenuID;
  bar[0].title = Text(kTextProgramMenu, u"_Dunsellow");
  bar[0].items = {Item(kTextAbout, u"_About Dunsellow", kCommandAbout), Separator(),
                  Item(kTextOptions, u"_Options…", kCommandOptions, "<Control>comma"), Separator(),
                  Item(kTextQuit, u"_Quit", kCommandQuit, "<Control>q")};
  bar[1].id = 2;
  bar[1].title = Text(kTextHelpMenu, u"_Help");
  qel::MenuBarItem help = Item(kTextHelp, u"Dunsellow _Help", kCommandHelp, "F1");
  help.keyShownOnly = true;  // the Help key (F1) reaches the window itself
  bar[1].items = {help};
  return bar;
}

void CMyMainFrame::InstallCommandEvent() {
  if (!m_pCommandHandler) m_pCommandHandler = QelInstallCommandHandler(&CMyMainFrame::sMeunEventProc, this);
}

void CMyMainFrame::RemoveCommandEvent() {
  if (m_pCommandHandler) QelRemoveCommandHandler(m_pCommandHandler);
  m_pCommandHandler = nullptr;
}

void CMyMainFrame::HideMenuItems() { DeleteMenuItems(kProgramMenuID, 2, 1); }

int32_t CMyMainFrame::sMeunEventProc(const QelHICommand& command, void* data) {
  auto* self = static_cast<CMyMainFrame*>(data);
  if (!self || command.kind != QEL_CMD_PROCESS) return QEL_EVENT_NOT_HANDLED;
  // A command chosen while a pop-up is open is swallowed.
  if (QelGetPopupSurface() || QelIsPopupOpen()) return 0;
  bool handled = false;
  self->DoCommand(command.commandID, kMenuCommandSource, 0, handled);
  return handled ? 0 : QEL_EVENT_NOT_HANDLED;
}

int32_t CMyMainFrame::DoCommand(uint32_t command, int32_t source, int32_t, bool& handled) {
  if (source != kMenuCommandSource) return 0;
  if (command == kCommandHelp) {
    ShowHelp(GetWindowRef());
  } else if (command == kCommandOptions) {
    RunOptions();
  } else if (command == kCommandAbout) {
    RunAbout();
    handled = true;
  } else {
    for (uint32_t extra : kExtrasCommands) {
      // Without the extras plug-in these do nothing.
      if (command == extra) handled = true;
    }
  }
  return 0;
}

int32_t CMyMainFrame::RunOptions() {
  CDlgOption dialog;
  if (!dialog.Create(u"$app\\UI\\options.aui", nullptr, GetWindowRef())) {
    std::fprintf(stderr, "Dunsellow: the Options dialog options.aui cannot be created\n");
    return CQelModalWnd::kResultCancel;
  }
  dialog.RepositionWindow(1);
  int32_t result = dialog.DoModal();
  if (result == CQelModalWnd::kResultOK) {
    SetBackGround(0);
    PostMessage(ORV_MSG_MEDIA_FOLDER_CHANGED, 0, 0);
  }
  return result;
}

int32_t CMyMainFrame::RunAbout() {
  CDlgSplash dialog(GetWindowRef());
  if (!dialog.Create(u"$app\\UI\\splash.aui", nullptr, GetWindowRef())) {
    std::fprintf(stderr, "Dunsellow: the About dialog splash.aui cannot be created\n");
    return CQelModalWnd::kResultCancel;
  }
  dialog.RepositionWindow(1);
  return dialog.DoModal();
}
