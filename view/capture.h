#pragma once
// Image and movie-frame capture: the view's pixels as uncompressed 24-bit BMP files with a
// 58-byte header (file header, information header, one zero palette entry).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::glview {
class GlView;
}

namespace vantrel::view {

// Bytes of one pixel row: 3 w rounded up to a multiple of 4.
std::int64_t BmpRowSize(std::int64_t w);

// The 58 header bytes of a w x h image.
std::vector<std::uint8_t> BmpHeader(std::int32_t w, std::int32_t h);

// A whole BMP file from pixel rows in blue, green, red order, bottom row first, each row
// BmpRowSize(w) bytes with zero padding.
std::vector<std::uint8_t> EncodeBmp(std::int32_t w, std::int32_t h, const std::vector<std::uint8_t>& bgrRows);

// Reads the region (x, y, w + 1, h) of the current GL context's viewport (cut to the
// viewport) and writes it to path, replacing any file there. Does nothing without a
// current context; a failure leaves no file, and its reason in *fault when given. Shows the
// busy pointer meanwhile. Always returns 0.
std::int16_t WriteBMPW(const std::string& path, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::string* fault = nullptr);

// Saves the control's view as folder + name ("ImageSaved.bmp" when name is empty). A path
// separator is appended to folder, in the caller's variable, when it does not end with one.
// Returns "" when the file was written, else a message naming the file, folder and reason.
std::string SaveBMP(glview::GlView& control, std::string& name, std::string& folder);

// The clock of wall-clock movie timing: monotonic seconds, so a recording that passes
// midnight keeps its pace. The movie window's start, pause and restart take it too.
double MovieClock();

// The movie state the recorder works on (fields of the live option record).
struct MovieState {
  double& MovieFrameNo;    // next frame, from 1; 0 when idle
  double& MovieMaxFrames;  // last frame
  double& MovieInterval;   // seconds between frames
  double& MovieLastTime;   // time of the last frame in the clock in use
  double& MoviePlotTime;   // 1.0 plot time, 0 wall clock (MovieClock)
  std::string& Prefix;     // file-name prefix
  std::string& Folder;     // folder
};

// Saves the next movie frame when it is due, with save(name, folder); ends the recording
// after the last frame. plotDate is the date of the current point, in days.
void MovieSaveAs(MovieState& s, double plotDate,
                 const std::function<void(std::string& name, std::string& folder)>& save);

}  // namespace vantrel::view
