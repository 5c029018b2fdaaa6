#pragma once
// Trackball entry points the view control's bridge calls on every mouse press, move and
// release, before the view object's own handlers. Navigation is done by the view object's
// tools, so these keep no state and change nothing; they accept any input.

namespace vantrel::view {

// button: 1 left, 2 right; x, y: the mouse position in pixels.
void TrackBallStart(int button, int x, int y);
void TrackBallMotion(int button, int x, int y);
void TrackBallStop(int button, int x, int y);

}  // namespace vantrel::view
