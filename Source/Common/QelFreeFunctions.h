#pragma once
// Element helpers by name: find in a panel (deep) or a menu, then act. Each
// answers the toolkit call's result, or 0 when the element is not there.
#include "PubQelmar.h"

int32_t SetCallBack(PubQelmar::QelPanel* panel, const char* name, QELCALLBACK callback, void* data);
int32_t SetCallBack(PubQelmar::QelMenu* menu, const char* name, QELCALLBACK callback, void* data);
int32_t EnableElement(PubQelmar::QelPanel* panel, const char* name, int32_t enable);
int32_t EnableElement(PubQelmar::QelMenu* menu, const char* name, int32_t enable);
int32_t ShowElement(PubQelmar::QelMenu* menu, const char* name, int32_t show);
