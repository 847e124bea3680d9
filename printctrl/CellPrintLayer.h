#pragma once
// One picture cell made ready for paper: the part of its picture the cell
// shows, turned and flipped as the cell shows it, shaped by the cell's mask,
// and the rectangle of the page (device pixels, page coordinates) it fills.
// Printing hands the layer to the print manager; the page renderer draws it
// into the page picture, so a printed page and a page picture agree.
#include <functional>

#include "PubImage.h"
#include "qel/QelTypes.h"

class CPrintPage;
class CPrintProject;

// The printer's page as the cells meet it.
struct CPageGeometry {
  int px = 0, py = 0;         // device pixels per inch
  SRect32 area{0, 0, 0, 0};   // printable area
  POINT margin{0, 0};         // the user's offset, device pixels
  int inset = 0;              // border inset of large cells, device pixels
  // Reads the manager's geometry; false when the resolution is unknown.
  bool Read(const CPrintProject& project, const CPrintPage& page);
};

enum class CellLayerStatus {
  kReady,      // layer and destination set
  kSkipped,    // nothing of the cell reaches paper (no picture, excluded, text, outside the area)
  kNoPicture,  // the cell's picture could not be read
  kNoLayer,    // the picture was read but its layer could not be made
  kStopped,    // `step` answered false
};

struct CCellLayer {
  CCellLayer() = default;
  CCellLayer(const CCellLayer&) = delete;
  CCellLayer& operator=(const CCellLayer&) = delete;
  ~CCellLayer() { Reset(); }
  void Reset();
  PubImage::QelLayer* layer = nullptr;  // one reference owned
  SRect32 dest{0, 0, 0, 0};
};

struct CCellLayerOptions {
  bool original = true;      // the full-size picture; else the display picture
  bool masks = true;         // shape the cell by its template mask
  bool forPrinter = true;    // lift low resolution and reduce oversized layers
  // Called after each main step; false stops the cell.
  std::function<bool()> step;
};

CellLayerStatus MakeCellLayer(CPrintProject& project, const CPrintPage& page, long cell, const CPageGeometry& g,
                              const CCellLayerOptions& options, CCellLayer& out);
