#pragma once
// The view control's camera: eye, target, up, projection and the navigation moves, as plain
// numbers. The control turns it into the projection and model-view matrices of each frame.

#include <array>

namespace vantrel::glview {

struct Vec3f {
  float x = 0, y = 0, z = 0;
};

// Column-major 4x4 matrix, as glLoadMatrixd takes it.
using Mat4 = std::array<double, 16>;

enum ProjectionKind : long { kPerspective = 0, kOrthographic = 1 };

class GlCamera {
 public:
  // Orthographic extents (left, right, bottom, top), as put; the projection keeps the
  // whole box visible and undistorted by widening its shorter side to the view's aspect.
  void SetOrtho(double left, double right, double bottom, double top);
  void GetOrtho(double& left, double& right, double& bottom, double& top) const;

  void SetFarPlane(double d) { far_ = d; }
  void SetNearPlane(double d) { near_ = d; }
  void SetViewAngle(double degrees) { angle_ = degrees; }
  double FarPlane() const { return far_; }
  double NearPlane() const { return near_; }
  double ViewAngle() const { return angle_; }
  void SetProjectionType(long type) { type_ = type; }
  long ProjectionType() const { return type_; }

  void SetEye(float x, float y, float z) { eye_ = {x, y, z}; }
  void SetTarget(float x, float y, float z) { target_ = {x, y, z}; }
  void SetUp(float x, float y, float z) { up_ = {x, y, z}; }
  Vec3f Eye() const { return eye_; }
  Vec3f Target() const { return target_; }
  Vec3f Up() const { return up_; }
  void LookAt(float ex, float ey, float ez, float tx, float ty, float tz, float ux, float uy, float uz);

  // Shifts the scene on the screen by dx to the right and dy upwards (scene units): eye and
  // target move the other way in the view plane.
  void Pan(float dx, float dy);
  // Magnifies by factor (> 1 zooms in): the orthographic extents shrink around their centre,
  // or the perspective angle narrows. A factor <= 0 is ignored.
  void Zoom(float factor);
  // Moves the eye towards the target by fraction of their distance (negative: away). The eye
  // never reaches the target.
  void Dolly(float fraction);
  // Turns the view direction about the camera's right axis (degrees, positive looks up),
  // about its up axis (positive turns left), and the up vector about the view direction.
  void Pitch(float degrees);
  void Yaw(float degrees);
  void Roll(float degrees);

  // The projection for a viewport of w x h pixels.
  Mat4 Projection(int w, int h) const;
  // The model-view matrix of the eye, target and up; an up vector parallel to the view
  // direction (or null) is replaced by the axis most across the view.
  Mat4 ModelView() const;
  // Orthonormal camera axes: right, true up, and forward (target - eye).
  void Axes(Vec3f& right, Vec3f& up, Vec3f& forward) const;

 private:
  Vec3f eye_{0, 0, 100};
  Vec3f target_{0, 0, 0};
  Vec3f up_{0, 1, 0};
  double left_ = -100, right_ = 100, bottom_ = -100, top_ = 100;
  double near_ = -10000, far_ = 10000;
  double angle_ = 45;
  long type_ = kOrthographic;
};

}  // namespace vantrel::glview
