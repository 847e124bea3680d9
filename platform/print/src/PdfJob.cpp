#include "print/PdfJob.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace print {

std::unique_ptr<PdfJob> PdfJob::Begin(const std::string& title) {
  // A folder of our own (mode 0700): nobody else can swap the file.
  gchar* dir = g_dir_make_tmp("dunsellow-print-XXXXXX", nullptr);
  if (!dir) return nullptr;
  std::unique_ptr<PdfJob> job(new PdfJob());
  job->dir_ = dir;
  g_free(dir);
  job->path_ = job->dir_ + "/job.pdf";
  job->title_ = title;
  // The first page sets its own size in BeginPage.
  job->surface_ = cairo_pdf_surface_create(job->path_.c_str(), 612, 792);
  if (cairo_surface_status(job->surface_) != CAIRO_STATUS_SUCCESS) return nullptr;
  if (!title.empty()) cairo_pdf_surface_set_metadata(job->surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(job->surface_, CAIRO_PDF_METADATA_CREATOR, "Dunsellow");
  job->cr_ = cairo_create(job->surface_);
  return job;
}

PdfJob::~PdfJob() { Discard(); }

bool PdfJob::BeginPage(double w, double h) {
  if (finished_ || page_open_ || !cr_ || w <= 0 || h <= 0) return false;
  cairo_pdf_surface_set_size(surface_, w, h);
  cairo_identity_matrix(cr_);
  cairo_reset_clip(cr_);
  page_open_ = true;
  return cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

bool PdfJob::EndPage() {
  if (!page_open_) return false;
  cairo_show_page(cr_);
  page_open_ = false;
  ++pages_;
  return cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

bool PdfJob::Finish() {
  if (finished_ || !cr_) return false;
  if (page_open_) EndPage();
  bool ok = cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  ok = ok && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  finished_ = true;
  return ok && pages_ > 0;
}

bool PdfJob::CopyTo(const std::string& target) const {
  if (!finished_ || target.empty()) return false;
  std::string temp = target + ".part-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  std::ifstream in(path_, std::ios::binary);
  bool ok = bool(in);
  char buf[65536];
  while (ok && in) {
    in.read(buf, sizeof buf);
    std::streamsize got = in.gcount();
    for (std::streamsize done = 0; ok && done < got;) {
      ssize_t n = write(fd, buf + done, size_t(got - done));
      ok = n > 0;
      done += n > 0 ? n : 0;
    }
  }
  ok = ok && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

void PdfJob::Discard() {
  if (cr_) cairo_destroy(cr_);
  cr_ = nullptr;
  if (surface_) {
    cairo_surface_finish(surface_);
    cairo_surface_destroy(surface_);
  }
  surface_ = nullptr;
  page_open_ = false;
  if (!path_.empty()) std::remove(path_.c_str());
  if (!dir_.empty()) rmdir(dir_.c_str());
  path_.clear();
  dir_.clear();
}

}  // namespace print
