#include "view/trackball.h"

namespace vantrel::view {

void TrackBallStart(int button, int x, int y) { (void)button, (void)x, (void)y; }
void TrackBallMotion(int button, int x, int y) { (void)button, (void)x, (void)y; }
void TrackBallStop(int button, int x, int y) { (void)button, (void)x, (void)y; }

}  // namespace vantrel::view
