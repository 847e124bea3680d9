#pragma once
// The photo editor's history: up to 64 steps, each a group of action
// records undone in reverse order and redone in order. Continuous edits
// (a slider drag, the resize dialog) keep the state before their first
// change as pending edit data, which becomes one step when another kind of
// edit starts, when the user undoes, or when a new step is pushed. Main
// thread only.
#include <cstdint>
#include <vector>

#include "CAction.h"
#include "FrameParam.h"

// One record: the action object (an extra reference held), its identifier
// and what it needs to undo (as a rule, data the record owns).
struct tagActionInfo {
  CAction* pAction = nullptr;
  int32_t nActionID = 0;
  intptr_t lData = 0;
};

// One step: its records (owned).
struct tagStackInfo {
  int32_t m_nActionNum = 0;
  tagActionInfo* m_pActionInfo = nullptr;
};

// Continuous edits of the photo editor.
enum : int32_t {
  EDITING_ID_NONE = 0,
  EDITING_ID_BRIGHTNESS = 1,
  EDITING_ID_CONTRAST = 2,
  EDITING_ID_SHARPEN = 3,
  EDITING_ID_RESIZE = 4,
};

// The action identifier that puts a whole edit record back.
inline constexpr int32_t kActionApplyParam = 4099;

class CActionManage {
 public:
  static constexpr int32_t kCapacity = 64;

  CActionManage();
  ~CActionManage();
  CActionManage(const CActionManage&) = delete;
  CActionManage& operator=(const CActionManage&) = delete;

  int32_t CanUndo() const;
  int32_t CanRedo() const;
  void OnUndo();
  void OnRedo();
  // Move to the step to undo or redo and hand it out; 0 when there is none.
  int32_t GetUndoAction(tagStackInfo* out, tagStackInfo* unused = nullptr);
  int32_t GetRedoAction(tagStackInfo* out, tagStackInfo* unused = nullptr);
  // Stores a new step (taking its records) and drops the redo list; 1.
  int32_t PushStack(tagStackInfo* step);
  // Drops every step after the current one; 1 when it dropped any.
  int32_t UpdateStackTop();
  // Drops the oldest step when the history is full; 1.
  int32_t ProcessOverFlow();
  void FreeActionData(tagStackInfo* step);
  // Empties the history and forgets pending edit data.
  void ClearActionData();

  // A continuous edit `nEditID` is about to change the state `before` of
  // `action`: the first change of a run keeps it.
  void BackupEditData(int32_t nEditID, const tagFrameParam* before, CAction* action);
  // Pending edit data becomes a step of its own.
  void PushEditData();
  void ClearEidtData();

  // For tests and the user interface.
  int32_t StepCount() const { return m_nCount; }
  int32_t CurrentStep() const { return m_nPoint; }
  int32_t PendingEditID() const { return m_nEditID; }

 private:
  tagStackInfo* m_pActionData;
  int32_t m_nPoint = -1;
  int32_t m_nCount = 0;
  int32_t m_bNoRedo = 1;
  int32_t m_bNoUndo = 1;
  int32_t m_nCapacity = kCapacity;
  tagFrameParam m_EditData;
  int32_t m_nEditID = EDITING_ID_NONE;
  CAction* m_pEditAction = nullptr;
};

// Gathers the records of one user edit into one step: construct it on the
// history, let the action object push its records, and the destructor
// stores them as one step. Only one collects at a time (the nested one of
// PushEditData completes inside the constructor).
class CActionCollect {
 public:
  explicit CActionCollect(CActionManage* manage);
  ~CActionCollect();
  CActionCollect(const CActionCollect&) = delete;
  CActionCollect& operator=(const CActionCollect&) = delete;

  // Adds a copy of `info` to the step being gathered and a reference on
  // its action object; null is ignored.
  static void PushActionInfo(const tagActionInfo* info);

 private:
  CActionManage* m_pManage;
  static std::vector<tagActionInfo*> s_vActionInfoList;
};
