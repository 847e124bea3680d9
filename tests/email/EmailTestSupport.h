#pragma once
// What the e-mail tests share: photos and movies made with ffmpeg, and the
// modal window that holds a given element.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "MediaTools.h"
#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace emailtest {

inline void Ffmpeg(const std::string& args, const std::filesystem::path& out) {
  int status = 0;
  mediatools::Run("ffmpeg -nostdin -v error -y " + args + " " + mediatools::Quote(out) + " 2>&1", &status);
  ASSERT_EQ(status, 0) << out;
}

// A test picture of that size; a one-second movie (MPEG-4 video).
inline void MakePhoto(const std::filesystem::path& p, const char* size = "320x240") {
  Ffmpeg(std::string("-f lavfi -i testsrc2=s=") + size + " -frames:v 1", p);
}
inline void MakeMovie(const std::filesystem::path& p, const char* size = "320x240") {
  Ffmpeg(std::string("-f lavfi -i testsrc2=s=") + size + ":r=10:d=1 -c:v mpeg4", p);
}

// The shown modal window holding `element` whose loop is still running, or null.
inline CQelModalWnd* ModalWith(const char* element) {
  for (CQelWindow* w : QelWindows()) {
    auto* modal = dynamic_cast<CQelModalWnd*>(w);
    if (modal && modal->InModal() && !modal->ModalEnding() && w->IsWindowVisible() &&
        qel::headless::FindElement(w, element))
      return modal;
  }
  return nullptr;
}

}  // namespace emailtest
