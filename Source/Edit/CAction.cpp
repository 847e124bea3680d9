#include "CAction.h"

#include <cassert>

CDataManage* MyRetain(CDataManage* p) {
  if (p) ++p->m_nRtCount;
  return p;
}

void MyRelease(CDataManage* p) {
  if (!p) return;
  assert(p->m_nRtCount >= 0);
  if (p->m_nRtCount > 0) {
    --p->m_nRtCount;
  } else {
    delete p;
  }
}

void CAction::DoAction(int32_t, intptr_t) {}
void CAction::BeginAction(int32_t) {}
void CAction::EndAction(int32_t) {}
void CAction::DoActionSelf(int32_t, intptr_t) {}
void CAction::UndoAction(int32_t, intptr_t) {}
void CAction::RedoAction(int32_t, intptr_t) {}
void CAction::DisposeActionData(int32_t, intptr_t) {}
