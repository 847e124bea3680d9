#pragma once
// Picture files and the save dialog as the photo editor calls them: open a
// file into a new picture, cut a picture to a rectangle, save a picture by
// an output-option record (whole or absent: a temporary file beside the
// target renamed over it), ask where to save, split a path.
#include <cstdint>
#include <string>

#include "PubImage.h"
#include "qel/QelImage.h"
#include "qel/QelTypes.h"

// The output-option record of SaveImgFile and the save dialog: its first
// word the record's size, its third 1, and `options` pointing at {0, JPEG
// quality} for a JPEG (null: the format's default). `nFileType` 0 picks the
// format by the file's extension.
using tagOutputOption = QelImageSaveOptions;

// A new picture of the whole file (the caller releases it), or null.
PubImage::QelPicture* OpenImgFile(const WCHAR* path, int32_t, void*, void*, int32_t);
// A new picture holding `rect` of `picture` (clipped to it), with the
// picture's file details kept; null when nothing is left.
PubImage::QelPicture* CropPictureByRect(PubImage::QelPicture* picture, const SRect32* rect);
// Writes `picture` to `path` as the record says; 0 when written. A failed
// or interrupted save leaves the file that was there.
int32_t SaveImgFile(PubImage::QelPicture* picture, const WCHAR* path, tagOutputOption* option);

// The save dialog: starts in `folder` with `name` (its extension follows
// the format chosen: JPEG or BMP, `ext` choosing the first one shown). On
// an answer `name` holds the full path (at most `capacity` units with the
// terminator) and the record the format (JPEG at quality 90); 0 when the
// user cancelled or the path does not fit.
int32_t GetOpenSaveFileName(WindowRef parent, int32_t, WCHAR* name, int32_t capacity, int32_t, const WCHAR* ext,
                            const WCHAR* folder, uint64_t, tagOutputOption* option, PubImage::QelPicture*);

// A path's folder (with its trailing separator), base name and extension
// (with its dot). Linux paths have no drive.
void SplitPath(const std::u16string& path, std::u16string* folder, std::u16string* name, std::u16string* ext);
