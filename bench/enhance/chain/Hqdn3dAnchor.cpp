#include "Hqdn3dAnchor.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

Hqdn3dAnchor::Hqdn3dAnchor(int width, int height, const std::vector<std::vector<uint8_t>>& yuy2Frames,
                           int pitch) {
  for (const std::vector<uint8_t>& yuy2 : yuy2Frames) {
    AVFrame* f = av_frame_alloc();
    f->format = AV_PIX_FMT_YUV422P;
    f->width = width;
    f->height = height;
    if (av_frame_get_buffer(f, 0) < 0) {
      av_frame_free(&f);
      return;
    }
    for (int r = 0; r < height; ++r) {
      const uint8_t* s = yuy2.data() + static_cast<size_t>(r) * pitch;
      uint8_t* y = f->data[0] + static_cast<ptrdiff_t>(r) * f->linesize[0];
      uint8_t* u = f->data[1] + static_cast<ptrdiff_t>(r) * f->linesize[1];
      uint8_t* v = f->data[2] + static_cast<ptrdiff_t>(r) * f->linesize[2];
      for (int x = 0; x < width / 2; ++x) {
        y[2 * x] = s[4 * x];
        u[x] = s[4 * x + 1];
        y[2 * x + 1] = s[4 * x + 2];
        v[x] = s[4 * x + 3];
      }
    }
    m_inputs.push_back(f);
  }
  if (m_inputs.empty()) return;
  m_graph = avfilter_graph_alloc();
  if (!m_graph) return;
  m_graph->nb_threads = 1;
  char args[160];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/30:pixel_aspect=1/1", width, height,
                int(AV_PIX_FMT_YUV422P));
  AVFilterContext* source = nullptr;
  AVFilterContext* denoise = nullptr;
  AVFilterContext* sink = nullptr;
  if (avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", args, nullptr, m_graph) < 0 ||
      avfilter_graph_create_filter(&denoise, avfilter_get_by_name("hqdn3d"), "hqdn3d", nullptr, nullptr,
                                   m_graph) < 0 ||
      avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, m_graph) <
          0 ||
      avfilter_link(source, 0, denoise, 0) < 0 || avfilter_link(denoise, 0, sink, 0) < 0 ||
      avfilter_graph_config(m_graph, nullptr) < 0)
    return;
  m_source = source;
  m_sink = sink;
  m_output = av_frame_alloc();
}

Hqdn3dAnchor::~Hqdn3dAnchor() {
  av_frame_free(&m_output);
  avfilter_graph_free(&m_graph);
  for (AVFrame*& f : m_inputs) av_frame_free(&f);
}

bool Hqdn3dAnchor::Filter() {
  if (!Ok()) return false;
  AVFrame* in = m_inputs[static_cast<size_t>(m_pts) % m_inputs.size()];
  in->pts = m_pts++;
  // The input stays ours (a reference, no copy): the filter writes into a
  // frame from its own pool, which the unref below hands back for reuse.
  if (av_buffersrc_add_frame_flags(m_source, in, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) return false;
  if (av_buffersink_get_frame(m_sink, m_output) < 0) return false;
  av_frame_unref(m_output);
  return true;
}
