#include "ORVMovie.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/Movie.h"
#include "os/Offscreen.h"

struct ORVMovieRecord {
  media::Movie movie;
  TimeValue time = 0;
  GWorldPtr world = nullptr;
  media::Frame frame;
};

Movie NewMovieFromUTF8Path(const char* path) {
  if (!path) return nullptr;
  auto* m = new (std::nothrow) ORVMovieRecord;
  if (!m) return nullptr;
  if (m->movie.Open(path) != 0) {
    delete m;
    return nullptr;
  }
  return m;
}

void DisposeMovie(Movie movie) { delete movie; }

media::Movie* GetMediaMovie(Movie movie) { return movie ? &movie->movie : nullptr; }

TimeValue GetMovieTimeScale(Movie movie) { return movie ? media::kMovieTimeScale : 0; }

TimeValue GetMovieDuration(Movie movie) {
  return movie ? TimeValue(std::min<int64_t>(movie->movie.Duration(), INT32_MAX)) : 0;
}

TimeValue GetMovieTime(Movie movie) { return movie ? movie->time : 0; }

void SetMovieTimeValue(Movie movie, TimeValue time) {
  if (movie) movie->time = std::max<TimeValue>(time, 0);
}

void GetMovieBox(Movie movie, Rect* box) {
  if (!box) return;
  *box = Rect{};
  if (!movie) return;
  media::Size size = movie->movie.NaturalSize();
  box->bottom = size.height;
  box->right = size.width;
}

void SetMovieGWorld(Movie movie, GWorldPtr world) {
  if (movie) movie->world = world;
}

GWorldPtr GetMovieGWorld(Movie movie) { return movie ? movie->world : nullptr; }

int32_t MoviesTask(Movie movie, int32_t) {
  if (!movie || !movie->world || movie->world->depth != plat::kOffscreenARGB32) return -1;
  GWorldPtr w = movie->world;
  // Rendered straight into the world's rows.
  return movie->movie.FrameInto(movie->time, w->pixels, w->rowBytes, {w->width, w->height}) == 0 ? 0 : -1;
}
