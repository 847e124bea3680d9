// Where the cell actions tell the preview and the page strip what changed.
// Both come with their own files; until then there is nothing to tell.
#include "PrintProject.h"

void CPrintProject::_PreviewCellChanged(long /*action*/, long /*cell*/) {}
void CPrintProject::_PreviewShowPage(long /*page*/, bool /*force*/) {}
void CPrintProject::_PreviewSetActive(long /*page*/, long /*cell*/) {}
void CPrintProject::_PreviewUpdateCopyBtn() {}
void CPrintProject::_PreviewUpdateCellDel(long /*page*/, long /*cell*/) {}
bool CPrintProject::_PreviewShows(long /*page*/) const { return false; }
void CPrintProject::_PageStripScroll(int /*direction*/) {}
