#pragma once
// Action objects of the undo history: counted objects (one owner plus
// extra references taken by the undo records that name them) that are
// called back to undo and redo what they did.
#include <cstdint>

class CDataManage {
 public:
  virtual ~CDataManage() = default;
  // Extra references: 0 means one owner and nothing more.
  int32_t m_nRtCount = 0;
};

// Adds a reference; answers `p` (null stays null).
CDataManage* MyRetain(CDataManage* p);
// Drops an extra reference, or deletes the object when there is none.
void MyRelease(CDataManage* p);

class CAction : public CDataManage {
 public:
  ~CAction() override = default;
  // `data` is the action's argument; the history hands back what the
  // action stored with its undo record.
  virtual void DoAction(int32_t id, intptr_t data);
  virtual void BeginAction(int32_t id);
  virtual void EndAction(int32_t id);
  virtual void DoActionSelf(int32_t id, intptr_t data);
  virtual void UndoAction(int32_t id, intptr_t data);
  virtual void RedoAction(int32_t id, intptr_t data);
  // Frees what an undo record carries; called once per discarded record.
  virtual void DisposeActionData(int32_t id, intptr_t data);
};
