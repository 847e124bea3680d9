#pragma once
// Element and rectangle helpers of the edit plug-in's windows.
#include <cstdint>
#include <string>

#include "PubQelmar.h"
#include "qel/QelTypes.h"

// 1 when the point (window coordinates) lies within the element, edges
// included.
int IsPtInElement(POINT* point, PubQelmar::QelElement* element);
// The first element below `panel` of the toolkit class `type` ('albm' ...);
// with `recurse`, containers ('cata', 'ocat') are searched depth-first.
PubQelmar::QelElement* GetFirstElementByType(PubQelmar::QelPanel* panel, uint32_t type, int recurse);
// The element's text and tip (each emptied for null).
void vSetMagTextTips(PubQelmar::QelElement* element, const WCHAR* text, const WCHAR* tip);

void OffsetRect(SRect32* rect, int32_t dx, int32_t dy);
int IsRectEmpty(const SRect32* rect);
void SetRectEmpty(SRect32& rect);

// The edit panel's cursor (MySetCursor of the panel); nothing without one.
void SetCursorMac(int16_t id);

// A new UTF-8 buffer of three bytes per unit plus three, owned by the
// caller (delete[]); answers the length written.
int32_t UnicodeToUTF8(const WCHAR* text, char** out);
