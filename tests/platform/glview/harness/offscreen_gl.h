#pragma once
// An offscreen OpenGL 2.1 compatibility context with a framebuffer of w x h pixels (RGBA,
// depth 24, no multisampling), for tests of drawing code that needs no view control.
// Valid() is false when no context can be had; tests then fail.

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <cstdint>
#include <memory>
#include <vector>

namespace vantrel::test {

class OffscreenGl {
 public:
  OffscreenGl(int w, int h) : w_(w), h_(h) {
    QSurfaceFormat fmt;
    fmt.setRenderableType(QSurfaceFormat::OpenGL);
    fmt.setProfile(QSurfaceFormat::CompatibilityProfile);
    fmt.setVersion(2, 1);
    fmt.setDepthBufferSize(24);
    fmt.setSamples(0);
    context_.setFormat(fmt);
    if (!context_.create()) return;
    surface_.setFormat(context_.format());
    surface_.create();
    if (!surface_.isValid() || !context_.makeCurrent(&surface_)) return;
    QOpenGLFramebufferObjectFormat ff;
    ff.setAttachment(QOpenGLFramebufferObject::Depth);
    ff.setSamples(0);
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(w, h, ff);
    valid_ = fbo_->isValid() && fbo_->bind();
    if (valid_) glViewport(0, 0, w, h);
  }
  ~OffscreenGl() {
    if (context_.isValid() && context_.makeCurrent(&surface_)) fbo_.reset();
    context_.doneCurrent();
  }

  bool Valid() const { return valid_; }
  // Makes the context current with the framebuffer bound.
  bool Begin() { return valid_ && context_.makeCurrent(&surface_) && fbo_->bind(); }

  // RGB bytes of the framebuffer, bottom row first, tightly packed.
  std::vector<std::uint8_t> ReadPixels(int x, int y, int w, int h) {
    std::vector<std::uint8_t> px(size_t(w) * size_t(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return px;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }

 private:
  int w_, h_;
  QOpenGLContext context_;
  QOffscreenSurface surface_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
  bool valid_ = false;
};

}  // namespace vantrel::test
