#pragma once
// Small path, text and point functions shared by the module manager, the
// main window, the module buttons and the Options dialog.
#include <cstddef>
#include <cstdint>

#include "CQelStringW.h"
#include "qel/QelTypes.h"

namespace plat {
class Bundle;
}

// 1 when the text ends with "/"; otherwise, with `append` set, adds "/"
// (the buffer must have room for one more unit) and answers 0. A null or
// empty text answers 0 and is left alone.
int CheckStringEndCharIsBackslash(WCHAR* text, int append);
int CheckStringEndCharIsBackslash(CQelStringW& text, int append);

// 1 when the path names an existing file or folder; 0 for null.
int MyTLIsFileExist(const WCHAR* path);

// UTF-8 into a buffer of `capacity` units, always terminated. 0 for null
// arguments, a zero capacity, malformed UTF-8 or a text that does not fit
// (the buffer then holds an empty text).
int Zyl_UTF8ToUnicode(const char* utf8, WCHAR* buffer, size_t capacity);
// UTF-16 into a buffer of `size` bytes, always terminated. 0 for null
// arguments, a zero size, an unpaired surrogate or a text that does not
// fit (the buffer then holds an empty text).
int Zyl_UnicodeToUTF8(const WCHAR* text, char* buffer, size_t size);

// The folder that holds the bundle (null: the main bundle), without a final
// separator, in a buffer of `size` units. Null for a null buffer, when the
// bundle is unknown, or when the path does not fit (paths are never cut).
WCHAR* GetModulePath(const plat::Bundle* bundle, WCHAR* buffer, size_t size);

// The main bundle's corner pictures "MainWndLT.bmp" and "MainWndRT.bmp";
// a buffer whose picture is missing is left as it was.
constexpr size_t kCornerPathUnits = 1024;
void GetCornerPath(WCHAR (*paths)[kCornerPathUnits]);

// 1 when the element exists, is visible and enabled, and (x, y) lies in the
// rectangle of its position and size.
int vPtInQelObj(QelObject element, int32_t x, int32_t y);
