#pragma once
// Helpers over movies and offscreen worlds for the movie editor's frame
// source: opening, the active segment, frames into 32-bit worlds, copies,
// tick-to-time conversion and the brightness-and-contrast pass.
#include <cstdint>

#include "FSRefHelper.h"
#include "ORVMovie.h"
#include "QDRect.h"
#include "qel/QelTypes.h"

typedef void* CTabHandle;
typedef void* GDHandle;

// Null when the file does not exist or is not a movie.
Movie OpenMovFile(const WCHAR* path);
Movie OpenMovieFromPath(const WCHAR* path);
Movie OpenMovieFromRef(const FSRef* ref);
// The active segment: the whole movie (start 0, its duration), in 600ths.
void GetMovieActiveSDTime(Movie movie, int32_t* start, int32_t* duration);
// A zeroed world of the rectangle's size: 0, paramErr for a bad depth or
// size, memFullErr when there is no memory.
OSErr NewGWorld1(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle table, GDHandle device);
// Moves `bounds` to the origin (the caller's rectangle changes), makes a
// 32-bit world of that size, makes it the movie's world, sets the movie
// time and draws the frame there. With `restore` the movie gets its previous
// world back. The caller owns the new world; null on failure.
GWorldPtr MovieFrameToGWorldSimple(Movie movie, int32_t time, Rect& bounds, unsigned char restore);
// Draws the frame at the movie time into the movie's world again.
void MovieFrameToGWorldSimple(Movie movie);
// A new world with the source's size, depth and pixels; null on failure.
GWorldPtr CopyGWorld(GWorldPtr source);
// The source's pixels into the target's same rectangle (the overlap).
void CopyGWorld(GWorldPtr source, GWorldPtr target);
void DisposeGWorld(GWorldPtr world);
// Ticks of 1/60 s to movie time units of 1/600 s.
int32_t TickCountToTimeValue(int32_t ticks);
// The editor's brightness and contrast on a 32-bit world: channels 1 = red,
// green and blue, 2 = red, 3 = green, other = blue. 1 when done (also for
// b = c = 0, which changes nothing); 0 for no world or another depth.
int GWProcessBrightnessAndContrast(GWorldPtr world, int brightness, int contrast, int channels);
