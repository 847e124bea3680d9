#pragma once
// A print job drawn with cairo into a PDF in a private temporary folder;
// pages may differ in size. The file goes away with the job unless it was
// delivered.
#include <memory>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace print {

class PdfJob {
 public:
  // Null when the temporary file cannot be made.
  static std::unique_ptr<PdfJob> Begin(const std::string& title);
  ~PdfJob();
  PdfJob(const PdfJob&) = delete;
  PdfJob& operator=(const PdfJob&) = delete;

  // Page size in points (1/72 inch).
  bool BeginPage(double widthPoints, double heightPoints);
  // The open page's context, in points with the origin at the top left;
  // null outside a page.
  cairo_t* Context() const { return page_open_ ? cr_ : nullptr; }
  bool EndPage();
  int Pages() const { return pages_; }
  const std::string& Title() const { return title_; }

  // Closes the document; false when cairo reported an error.
  bool Finish();
  // The finished document (valid until the job goes).
  const std::string& Path() const { return path_; }
  // Writes the finished document to `target` (a temporary file beside it,
  // then renamed); false with nothing at target when that fails.
  bool CopyTo(const std::string& target) const;
  // Removes the document: nothing of a cancelled job stays.
  void Discard();

 private:
  PdfJob() = default;
  std::string dir_, path_, title_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  bool page_open_ = false;
  bool first_page_ = true;
  bool finished_ = false;
  int pages_ = 0;
};

}  // namespace print
