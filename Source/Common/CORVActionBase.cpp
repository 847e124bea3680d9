#include "CORVActionBase.h"

#include "AppHelper.h"
#include "qel/QelCore.h"
#include "qel/QelPath.h"

CORVActionBase::~CORVActionBase() {
  // A module released without UnInit would keep the panel and string table.
  CORVActionBase::UnInit();
}

ORVRESULT CORVActionBase::Init(IORVMainModule* host, PubQelmar::QelPanel* panel) {
  if (!host) return ORV_E_FAIL;
  m_pMainModule = host;
  if (!panel) return ORV_E_FAIL;
  if (m_pPanel != panel) {
    if (m_pPanel) Qel0Release(QelHandle(m_pPanel));
    m_pPanel = panel;
    Qel0Retain(QelHandle(m_pPanel));
  }
  if (m_pAui) {  // a second Init: the old table goes first
    g_AppHelper.SetResAui(nullptr);
    Qel0Release(QelHandle(m_pAui));
    m_pAui = nullptr;
  }
  if (ORV_FAILED(host->CreateAui(m_nLibID, &m_pAui)) || !m_pAui) {
    m_pAui = nullptr;
    return ORV_E_NOSTRINGTABLE;
  }
  g_AppHelper.SetResAui(m_pAui);
  m_bInited = 1;
  return ORV_S_OK;
}

ORVRESULT CORVActionBase::UnInit() {
  if (m_pAui) {
    Qel0Release(QelHandle(m_pAui));
    m_pAui = nullptr;
    g_AppHelper.SetResAui(nullptr);
  }
  if (m_pPanel) {
    Qel0Release(QelHandle(m_pPanel));
    m_pPanel = nullptr;
  }
  m_pMainModule = nullptr;
  m_bInited = 0;
  return ORV_S_OK;
}

ORVRESULT CORVActionBase::GetName(WCHAR* buffer, uint32_t* size) {
  if (!size) return ORV_E_POINTER;
  return g_AppHelper.LoadString(1, buffer, size) ? ORV_S_OK : ORV_E_FAIL;
}

ORVRESULT CORVActionBase::GetTripleHeight(uint32_t* a, uint32_t* b, uint32_t* c) {
  for (uint32_t* p : {a, b, c}) {
    if (p) *p = 196;
  }
  return ORV_S_OK;
}

ORVRESULT CORVActionBase::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (iid == IID_IORVAction || iid == IID_IORVUnknown) {
    return GetInterface(static_cast<IORVAction*>(this), out);
  }
  return ORV_E_NOTIMPL;
}

PubQelmar::QelPanel* CORVActionBase::LoadPanel(const WCHAR* relativePath) {
  if (!m_pMainModule || !relativePath) return nullptr;
  WCHAR path[QEL_MAX_PATH] = u"UI";
  if (!QelPathAppend(path, relativePath, QEL_MAX_PATH)) return nullptr;
  PubQelmar::QelPanel* panel = nullptr;
  if (ORV_FAILED(m_pMainModule->CreateLayout(m_nLibID, path, &panel))) return nullptr;
  return panel;
}
