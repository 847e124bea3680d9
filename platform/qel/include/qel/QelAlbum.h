#pragma once
// The album element (class 'albm', interface 36): a scrolling grid of items
// for thousands of entries. Each item carries one caller pointer; the item
// panels are copies of a template made only while their cells are in view
// (event 2053 {index, 1} when one appears, {index, 0} before it goes), so
// only the visible items exist as elements and are drawn. Selection (one
// or many), the current item, keys and the pointer are the album's own;
// changes are told to the element's callback as events 2054 (selection of
// an item, {index, selected}; index -1 for a change of every item), 2057
// (current item, {index, current}) and 4 (double press, {index, 0}).
#include <cstdint>
#include <vector>

#include "qel/QelElement.h"

// The records the numbered calls take (index -1 names every item where said).
struct QelAlbumItemNotify {  // events' data
  int32_t index;
  int32_t flag;
};
struct QelAlbumSelect {      // method 42
  int32_t index;             // -1: every item
  int32_t select;            // 1 select, 0 deselect
  int32_t only;              // 1: every other item is deselected first
};
struct QelAlbumCurrent {     // method 43
  int32_t index;             // -1: no current item
  int32_t current;           // 0 leaves the current item as it is
};
struct QelAlbumQuery {       // methods 23 (displayed) and 24 (selected)
  int32_t index;
  int32_t answer;            // out: 0 / 1
};

namespace qel {

inline constexpr uint32_t kAlbumClass = QelFourCC("albm");

enum AlbumEvent : int32_t {
  kAlbumDoubleClick = 4,
  kAlbumItemShown = 2053,
  kAlbumSelectChanged = 2054,
  kAlbumCurrentChanged = 2057,
};

class QEL_API Album : public Element {
 public:
  explicit Album(std::string name = {});

  // Items.
  int32_t Count() const { return int32_t(items_.size()); }
  int32_t Insert(int32_t at, void* data);  // at -1: the end; the index, or -1
  bool Delete(int32_t index);
  void Reset();
  void* Data(int32_t index) const;
  // The panel shown for the item, or null while it is out of view.
  Element* ItemPanel(int32_t index);

  // Settings.
  void SetCellSize(int32_t width, int32_t height);
  SIZE CellSize() const { return cell_; }
  void SetTemplate(Element* panel);  // a copy is kept
  void SetLayoutRange(int32_t min, int32_t max);
  void SetHorizontal(bool on);
  void SetSingleSelect(bool on) { single_ = on; }
  void SetKeyAction(bool on) { keys_ = on; }
  void SetScrollBarState(bool horizontal, int32_t state);
  void SetImageMode(int32_t mode) { image_mode_ = mode; }

  // Selection and the current item.
  bool Select(int32_t index, bool select, bool only);
  bool IsSelected(int32_t index) const;
  int32_t SelectedCount() const { return selected_; }
  // Selected indexes in ascending order, at most `max`.
  std::vector<int32_t> SelectedIndexes(size_t max = SIZE_MAX) const;
  bool SetCurrent(int32_t index);
  int32_t Current() const { return current_; }
  // Scrolls the least that brings the item's cell into view.
  void ScrollToItem(int32_t index);

  // Geometry: columns and rows of the grid.
  int32_t PerLine();  // items per row (horizontal) or per column
  POINT CellOf(int32_t index);
  int32_t IndexOfCell(POINT cr);  // -1 outside the items
  // The item under a point relative to the album's top-left, or -1.
  int32_t IndexAt(POINT p);
  // First and last visible cells (column, row); false when none.
  bool VisibleCells(POINT* first, POINT* last);
  bool IsDisplayed(int32_t index);
  int32_t ScrollOffset() const { return offset_; }
  void SetScrollOffset(int32_t pixels);
  int32_t MaxScrollOffset();

  // Realises and drops item panels now (normally done from the loop).
  void SyncNow();

  Object* Copy() const override;
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;
  bool TakePointer(const PointerInput& input) override;
  bool TakeKey(uint32_t key, bool down) override;
  bool ClipsChildren() const override { return true; }
  void PaintOver(cairo_t* cr) override;
  void LaidOut() override;
  void VisibilityChanged() override { ScheduleSync(); }

 protected:
  ~Album() override;

 private:
  struct Item {
    void* data = nullptr;
    bool selected = false;
    Element* panel = nullptr;  // held while shown
  };
  struct Geometry {
    SRect32 view{0, 0, 0, 0};  // window coordinates, scroll bar excluded
    int32_t per_line = 1;
    int32_t lines = 0;
    int32_t along = 0;         // cell extent along the scroll axis
    int32_t extent = 0;        // content extent along the scroll axis
    int32_t view_along = 0;
  };
  Geometry Measure();
  void ScheduleSync();
  static int OnIdleSync(void* self);
  void DropPanel(Item& item);
  void PlacePanel(int32_t index, const Geometry& g);
  void Notify(int32_t event, int32_t index, int32_t flag);
  intptr_t InterAlbum(int32_t method, QELWPARAM w, QELLPARAM l);
  SRect32 ScrollBarRect(const Geometry& g, SRect32* thumb);
  void MoveCurrentBy(int32_t delta);

  std::vector<Item> items_;
  Element* template_ = nullptr;
  SIZE cell_{80, 60};
  int32_t min_layout_ = 1;
  int32_t max_layout_ = 999;
  bool horizontal_ = true;
  bool single_ = false;
  bool keys_ = false;
  int32_t scroll_state_[2] = {1, 1};  // horizontal, vertical: 0 never, else when needed
  int32_t image_mode_ = 0;
  int32_t current_ = -1;
  int32_t anchor_ = -1;               // where a shift-selection starts
  int32_t selected_ = 0;
  int32_t offset_ = 0;                // pixels along the scroll axis
  bool sync_pending_ = false;
  bool syncing_ = false;
  unsigned sync_source_ = 0;
  SRect32 last_bounds_{0, 0, 0, 0};
  bool last_visible_ = false;
  int32_t drag_from_ = -1;            // scroll-bar drag: pointer start and offset
  int32_t drag_offset_ = 0;
};

}  // namespace qel
