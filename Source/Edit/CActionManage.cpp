#include "CActionManage.h"

#include <cassert>
#include <cstring>

std::vector<tagActionInfo*> CActionCollect::s_vActionInfoList;

CActionManage::CActionManage() : m_pActionData(new tagStackInfo[kCapacity]()) {}

CActionManage::~CActionManage() {
  for (int32_t i = 0; i < m_nCount; ++i) FreeActionData(&m_pActionData[i]);
  delete[] m_pActionData;
}

int32_t CActionManage::CanUndo() const {
  if (!m_bNoUndo) return 1;
  return m_nEditID != EDITING_ID_NONE ? 1 : 0;
}

int32_t CActionManage::CanRedo() const {
  if (m_bNoRedo) return 0;
  return m_nEditID == EDITING_ID_NONE ? 1 : 0;
}

int32_t CActionManage::GetUndoAction(tagStackInfo* out, tagStackInfo*) {
  if (m_bNoUndo || m_nCount == 0) return 0;
  m_bNoRedo = 0;
  if (m_nPoint >= m_nCount) m_nPoint = m_nCount - 1;
  const tagStackInfo& step = m_pActionData[m_nPoint];
  assert(step.m_nActionNum > 0);
  if (out) *out = step;
  if (--m_nPoint < 0) m_bNoUndo = 1;
  return 1;
}

int32_t CActionManage::GetRedoAction(tagStackInfo* out, tagStackInfo*) {
  if (m_bNoRedo) return 0;
  m_bNoUndo = 0;
  m_nPoint = m_nPoint + 1 < 0 ? 0 : m_nPoint + 1;
  if (m_nPoint >= m_nCount) {  // nothing stored there: never happens while redo is possible
    m_nPoint = m_nCount - 1;
    m_bNoRedo = 1;
    return 0;
  }
  if (out) *out = m_pActionData[m_nPoint];
  if (m_nPoint >= m_nCount - 1) m_bNoRedo = 1;
  return 1;
}

void CActionManage::OnUndo() {
  tagStackInfo step;
  if (!GetUndoAction(&step)) return;
  for (int32_t i = step.m_nActionNum - 1; i >= 0; --i) {
    const tagActionInfo& r = step.m_pActionInfo[i];
    if (r.pAction) r.pAction->UndoAction(r.nActionID, r.lData);
  }
}

void CActionManage::OnRedo() {
  tagStackInfo step;
  if (!GetRedoAction(&step)) return;
  for (int32_t i = 0; i < step.m_nActionNum; ++i) {
    const tagActionInfo& r = step.m_pActionInfo[i];
    if (r.pAction) r.pAction->RedoAction(r.nActionID, r.lData);
  }
}

int32_t CActionManage::UpdateStackTop() {
  if (m_nPoint == m_nCount - 1) return 0;
  for (int32_t i = m_nPoint + 1; i < m_nCount; ++i) FreeActionData(&m_pActionData[i]);
  m_nCount = m_nPoint + 1;
  return 1;
}

int32_t CActionManage::ProcessOverFlow() {
  FreeActionData(&m_pActionData[0]);
  std::memmove(static_cast<void*>(m_pActionData), m_pActionData + 1,
               sizeof(tagStackInfo) * size_t(m_nCapacity - 1));
  m_pActionData[m_nCapacity - 1] = tagStackInfo{};
  m_nPoint = m_nCapacity - 1;
  return 1;
}

int32_t CActionManage::PushStack(tagStackInfo* step) {
  assert(step && step->m_nActionNum > 0);
  UpdateStackTop();
  if (++m_nPoint >= m_nCapacity) ProcessOverFlow();
  m_pActionData[m_nPoint] = *step;
  m_nCount = m_nPoint + 1;
  m_bNoUndo = 0;
  m_bNoRedo = 1;
  return 1;
}

void CActionManage::FreeActionData(tagStackInfo* step) {
  if (!step) return;
  for (int32_t i = 0; i < step->m_nActionNum; ++i) {
    tagActionInfo& r = step->m_pActionInfo[i];
    if (r.pAction) {
      r.pAction->DisposeActionData(r.nActionID, r.lData);
      MyRelease(r.pAction);
    }
  }
  delete[] step->m_pActionInfo;
  *step = tagStackInfo{};
}

void CActionManage::ClearActionData() {
  for (int32_t i = 0; i < m_nCount; ++i) FreeActionData(&m_pActionData[i]);
  for (int32_t i = 0; i < m_nCapacity; ++i) m_pActionData[i] = tagStackInfo{};
  m_nCount = 0;
  m_nPoint = -1;
  m_bNoRedo = m_bNoUndo = 1;
  ClearEidtData();
}

void CActionManage::BackupEditData(int32_t nEditID, const tagFrameParam* before, CAction* action) {
  assert(nEditID != EDITING_ID_NONE);
  if (!before) return;
  // The first change of a run keeps its state; a resize always starts anew.
  if (nEditID != EDITING_ID_RESIZE && nEditID == m_nEditID) return;
  if (m_nEditID != EDITING_ID_NONE) PushEditData();
  m_nEditID = nEditID;
  m_EditData = *before;
  m_pEditAction = action;
}

void CActionManage::PushEditData() {
  if (m_nEditID == EDITING_ID_NONE) return;
  tagActionInfo info{m_pEditAction, kActionApplyParam, reinterpret_cast<intptr_t>(new tagFrameParam(m_EditData))};
  ClearEidtData();
  CActionCollect collect(this);
  CActionCollect::PushActionInfo(&info);
}

void CActionManage::ClearEidtData() {
  m_nEditID = EDITING_ID_NONE;
  m_pEditAction = nullptr;
  m_EditData = tagFrameParam{};
}

CActionCollect::CActionCollect(CActionManage* manage) : m_pManage(nullptr) {
  assert(s_vActionInfoList.empty());
  s_vActionInfoList.clear();
  // Pending edit data first becomes its own step, before this one.
  if (manage) manage->PushEditData();
  m_pManage = manage;
}

CActionCollect::~CActionCollect() {
  const size_t n = s_vActionInfoList.size();
  if (n == 0) return;
  auto* records = new tagActionInfo[n];
  for (size_t i = 0; i < n; ++i) {
    records[i] = *s_vActionInfoList[i];
    delete s_vActionInfoList[i];
  }
  s_vActionInfoList.clear();
  if (m_pManage) {
    tagStackInfo step{int32_t(n), records};
    m_pManage->PushStack(&step);
  } else {
    // No history to keep them: given back at once.
    for (size_t i = 0; i < n; ++i) {
      if (CAction* a = records[i].pAction) {
        a->DisposeActionData(records[i].nActionID, records[i].lData);
        MyRelease(a);
      }
    }
    delete[] records;
  }
}

void CActionCollect::PushActionInfo(const tagActionInfo* info) {
  if (!info) return;
  s_vActionInfoList.push_back(new tagActionInfo(*info));
  MyRetain(info->pAction);
}
