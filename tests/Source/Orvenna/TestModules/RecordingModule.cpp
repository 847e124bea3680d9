// A module for tests of the host: it writes every call it receives as one
// line "<Name>: <call> [<arguments>]" to the file named by
// DUNSELLOW_TEST_MODULE_LOG (or by the Log attribute below), and behaves as
// its own Module.xml tells it:
//   <TestBehaviour FailInit="1" FailLaunch="1" RefuseClose="1" Log="/path"/>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CORVActionBase.h"
#include "DllEntry.h"
#include "VdlXmlWrapper.h"
#include "os/Bundle.h"

namespace {

struct Behaviour {
  std::string name = "?";
  std::string log;
  bool failInit = false;
  bool failLaunch = false;
  bool refuseClose = false;
};

bool Flag(const CVdlXmlNode& node, const WCHAR* attribute) {
  uint32_t value = 0;
  return node.GetPropValue(attribute, value) && value != 0;
}

// Module.xml of the folder this module's bundle sits in.
Behaviour ReadBehaviour() {
  Behaviour b;
  if (const char* env = std::getenv("DUNSELLOW_TEST_MODULE_LOG")) b.log = env;
  static const int anchor = 0;
  auto bundle = plat::Bundle::Containing(&anchor);
  if (!bundle) return b;
  std::string folder = bundle->path().substr(0, bundle->path().rfind('/'));
  b.name = folder.substr(folder.rfind('/') + 1);
  CVdlXmlParser xml;
  if (!xml.Open(QelFromUTF8(folder + "/Module.xml").c_str())) return b;
  CVdlXmlNode root = xml.GetRootNode();
  CVdlXmlNode module, test;
  CQelStringW text;
  if (root.GetFirstChildByName(u"Module", module) && module.GetPropValue(u"Name", text) &&
      !text.IsEmpty()) {
    b.name = text.ToUTF8();
  }
  if (root.GetFirstChildByName(u"TestBehaviour", test)) {
    b.failInit = Flag(test, u"FailInit");
    b.failLaunch = Flag(test, u"FailLaunch");
    b.refuseClose = Flag(test, u"RefuseClose");
    if (test.GetPropValue(u"Log", text) && !text.IsEmpty()) b.log = text.ToUTF8();
  }
  return b;
}

class CRecordingModule : public CORVActionBase {
 public:
  CRecordingModule() : m_behaviour(ReadBehaviour()) { Record("Create"); }
  ~CRecordingModule() override { Record("Destroy"); }

  ORVRESULT Init(IORVMainModule* host, PubQelmar::QelPanel* panel) override {
    ORVRESULT result = CORVActionBase::Init(host, panel);
    if (ORV_SUCCEEDED(result) && m_behaviour.failInit) result = ORV_E_FAIL;
    Record("Init", Hex(result));
    return result;
  }
  ORVRESULT UnInit() override {
    Record("UnInit");
    return CORVActionBase::UnInit();
  }
  ORVRESULT SetLibID(uint32_t libID) override {
    Record("SetLibID", std::to_string(libID));
    return CORVActionBase::SetLibID(libID);
  }
  ORVRESULT Launch(WindowRef) override {
    ORVRESULT result = m_behaviour.failLaunch ? ORV_E_FAIL : ORV_S_OK;
    Record("Launch", Hex(result));
    return result;
  }
  int32_t AskForClose() override {
    int32_t answer = m_behaviour.refuseClose ? 0 : 1;
    Record("AskForClose", std::to_string(answer));
    return answer;
  }
  ORVRESULT PreTranslateMessage(tagMacMSG* message) override {
    if (!message) return ORV_E_POINTER;
    std::string text = std::to_string(message->message) + " ";
    if (message->message == 2029) {
      const WCHAR* argument = !message->text.empty() ? message->text.c_str()
                                                     : reinterpret_cast<const WCHAR*>(message->wParam);
      text += argument ? QelToUTF8(argument) : std::string();
    } else {
      text += std::to_string(message->wParam);
    }
    Record("PreTranslateMessage", text);
    return ORV_S_OK;
  }
  ORVRESULT LaunchHelpByPoint(POINT, WCHAR*) override {
    Record("LaunchHelpByPoint");
    return ORV_S_OK;
  }
  ORVRESULT ExitLaunch() override {
    Record("ExitLaunch");
    return ORV_S_OK;
  }

 private:
  static std::string Hex(ORVRESULT r) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", unsigned(r));
    return text;
  }

  void Record(const char* call, const std::string& arguments = {}) {
    if (m_behaviour.log.empty()) return;
    if (FILE* f = std::fopen(m_behaviour.log.c_str(), "a")) {
      std::fprintf(f, "%s: %s%s%s\n", m_behaviour.name.c_str(), call, arguments.empty() ? "" : " ",
                   arguments.c_str());
      std::fclose(f);
    }
  }

  Behaviour m_behaviour;
};

}  // namespace

ORV_DEFINE_MODULE_ENTRY(CRecordingModule)
