#pragma once
// Sizes and positions of windows and controls are kept in twips (1/1440 inch). The screen is
// taken at 96 dots per inch, so one pixel is 15 twips; a length in twips lands on the nearest
// pixel (halves to even) and reads back as that pixel times 15.

namespace vantrel::forms {

inline constexpr int kTwipsPerPixel = 15;

int TwipsToPixels(double twips);
inline constexpr double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

}  // namespace vantrel::forms
