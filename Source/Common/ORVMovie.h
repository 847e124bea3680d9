#pragma once
// A movie opened for reading, as the helpers and the editor hold it: the
// media layer's movie with a current time (600ths of a second) and the
// offscreen world that MoviesTask draws the frame at that time into.
#include <cstdint>

#include "IORVSource.h"
#include "QDRect.h"

namespace media {
class Movie;
}

struct ORVMovieRecord;
typedef ORVMovieRecord* Movie;
typedef int32_t TimeValue;

// Null when the file cannot be opened as a movie.
Movie NewMovieFromUTF8Path(const char* path);
void DisposeMovie(Movie movie);
media::Movie* GetMediaMovie(Movie movie);

TimeValue GetMovieTimeScale(Movie movie);  // 600
TimeValue GetMovieDuration(Movie movie);
TimeValue GetMovieTime(Movie movie);
void SetMovieTimeValue(Movie movie, TimeValue time);
// The picture box at the origin (natural size; empty without pictures).
void GetMovieBox(Movie movie, Rect* box);
void SetMovieGWorld(Movie movie, GWorldPtr world);
GWorldPtr GetMovieGWorld(Movie movie);
// Draws the frame at the movie time into the movie's world, scaled to it.
// 0, or -1 without a world or pictures.
int32_t MoviesTask(Movie movie, int32_t maxMilliseconds);
