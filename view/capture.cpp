#include "view/capture.h"

#include <GL/gl.h>

#include <QCursor>
#include <QGuiApplication>
#include <QOpenGLContext>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/glview/glview.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/replace_file.h"
#include "platform/runtime/vb.h"

namespace vantrel::view {
namespace {

constexpr std::int32_t kHeaderBytes = 58;
constexpr std::int32_t kPixelsPerMetre = 2952;  // 75 dots per inch

void Put16(std::vector<std::uint8_t>& b, size_t at, std::uint16_t v) {
  b[at] = std::uint8_t(v & 0xFF);
  b[at + 1] = std::uint8_t(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = std::uint8_t((v >> (8 * i)) & 0xFF);
}

// The busy pointer for the span of a write, restored in every case.
class BusyPointer {
 public:
  BusyPointer() : on_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (on_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~BusyPointer() {
    if (on_) QGuiApplication::restoreOverrideCursor();
  }

 private:
  bool on_;
};

// Replaces path with bytes. "" when written, else the system's reason.
std::string ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const int err = rt::ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return err == 0 ? std::string() : std::strerror(err);
}

}  // namespace

std::int64_t BmpRowSize(std::int64_t w) {
  std::int64_t b = 3 * w;
  return b % 4 == 0 ? b : b + (4 - b % 4);
}

std::vector<std::uint8_t> BmpHeader(std::int32_t w, std::int32_t h) {
  std::vector<std::uint8_t> b(kHeaderBytes, 0);
  std::uint32_t image = std::uint32_t(BmpRowSize(w) * h);
  b[0] = 0x42;
  b[1] = 0x4D;
  Put32(b, 2, kHeaderBytes + image);
  Put32(b, 10, kHeaderBytes);
  Put32(b, 14, 40);
  Put32(b, 18, std::uint32_t(w));
  Put32(b, 22, std::uint32_t(h));
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  Put32(b, 30, 0);
  Put32(b, 34, image);
  Put32(b, 38, kPixelsPerMetre);
  Put32(b, 42, kPixelsPerMetre);
  // Colours used, important colours and the one palette entry stay 0.
  return b;
}

std::vector<std::uint8_t> EncodeBmp(std::int32_t w, std::int32_t h, const std::vector<std::uint8_t>& bgrRows) {
  std::vector<std::uint8_t> file = BmpHeader(w, h);
  file.insert(file.end(), bgrRows.begin(), bgrRows.end());
  return file;
}

std::int16_t WriteBMPW(const std::string& path, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::string* fault) {
  BusyPointer busy;
  auto fail = [&](std::string why) -> std::int16_t {
    if (fault) *fault = std::move(why);
    return 0;
  };
  if (QOpenGLContext::currentContext() == nullptr) return fail("the view has no drawing context");
  // One more column than asked, as far as the viewport goes.
  std::int64_t ww = std::int64_t(w) + 1, hh = h;
  GLint vp[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, vp);
  if (x + ww > vp[2]) ww = std::int64_t(vp[2]) - x;
  if (y + hh > vp[3]) hh = std::int64_t(vp[3]) - y;
  if (ww <= 0 || hh <= 0 || x < 0 || y < 0) return fail("the view has no pixels to save");
  std::int64_t row = BmpRowSize(ww);
  if (row * hh > std::numeric_limits<std::int32_t>::max() - kHeaderBytes)
    return fail("the view is too large for a BMP file");
  std::vector<std::uint8_t> buf(size_t(row * hh), 0);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glReadPixels(x, y, GLsizei(ww), GLsizei(hh), GL_RGB, GL_UNSIGNED_BYTE, buf.data());
  glPopClientAttrib();
  for (std::int64_t r = 0; r < hh; ++r)
    for (std::int64_t c = 0; c < ww; ++c) {
      size_t i = size_t(r * row + 3 * c);
      std::swap(buf[i], buf[i + 2]);
    }
  std::string why = ReplaceFile(path, EncodeBmp(std::int32_t(ww), std::int32_t(hh), buf));
  if (!why.empty()) return fail(std::move(why));
  return 0;
}

std::string SaveBMP(glview::GlView& control, std::string& name, std::string& folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  std::string path = folder + (name.empty() ? std::string("ImageSaved.bmp") : name);
  auto w = std::int32_t(rt::RoundHalfEven(double(float(control.ViewWidth()))));
  auto h = std::int32_t(rt::RoundHalfEven(double(float(control.ViewHeight()))));
  // Outside the control's events its context is made current for the read.
  bool made = false;
  if (QOpenGLContext::currentContext() != control.context()) made = control.MakeCurrent();
  std::string why;
  WriteBMPW(path, 0, 0, w, h, &why);
  if (made) control.DoneCurrent();
  if (why.empty()) return {};
  return "The image " + path + " cannot be written in the folder " + folder + ": " + why;
}

double MovieClock() { return rt::CurrentClock().Monotonic(); }

void MovieSaveAs(MovieState& s, double plotDate,
                 const std::function<void(std::string& name, std::string& folder)>& save) {
  if (s.MovieFrameNo > s.MovieMaxFrames) {
    s.MovieFrameNo = 0;
    s.MovieLastTime = 0;
    return;
  }
  auto saveFrame = [&] {
    std::string number = rt::Format(s.MovieFrameNo, "#");
    s.MovieFrameNo += 1;
    std::string name = s.Prefix + number + ".bmp";
    save(name, s.Folder);
  };
  if (s.MoviePlotTime == 1.0) {
    double plotSeconds = plotDate * 86400;
    if (s.MovieLastTime + s.MovieInterval <= plotSeconds) {
      saveFrame();
      s.MovieLastTime = plotSeconds;
    } else if (plotSeconds <= s.MovieLastTime && s.MovieFrameNo >= s.MovieMaxFrames) {
      // The plot stands still (last row, or held) and the frame due is the last one, as
      // after End: no frame can fall due any more, so the recording ends here.
      s.MovieFrameNo = 0;
      s.MovieLastTime = 0;
    }
    return;
  }
  if (s.MoviePlotTime == 0 && s.MovieLastTime + s.MovieInterval < MovieClock()) {
    saveFrame();
    s.MovieLastTime = MovieClock();
  }
}

}  // namespace vantrel::view
