// BMP layout, byte for byte, and the movie-frame schedule.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/guards.h"
#include "view/capture.h"

namespace vantrel::view {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Bmp, RowSizeRoundsThreeBytesAPixelUpToFour) {
  struct Case {
    int w;
    std::int64_t row;
  };
  for (Case c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}, Case{101, 304}, Case{640, 1920}})
    EXPECT_EQ(BmpRowSize(c.w), c.row) << c.w;
}

TEST(Bmp, TwoByTwoHeader) {
  const Bytes expected = {
      0x42, 0x4D, 0x4A, 0x00, 0x00, 0x00,  // "BM", file size 58 + 8 x 2
      0x00, 0x00, 0x00, 0x00,              // reserved
      0x3A, 0x00, 0x00, 0x00,              // pixels at 58
      0x28, 0x00, 0x00, 0x00,              // information header of 40
      0x02, 0x00, 0x00, 0x00,              // width
      0x02, 0x00, 0x00, 0x00,              // height, bottom row first
      0x01, 0x00, 0x18, 0x00,              // one plane, 24 bits
      0x00, 0x00, 0x00, 0x00,              // no compression
      0x10, 0x00, 0x00, 0x00,              // image size 16
      0x88, 0x0B, 0x00, 0x00,              // 2952 pixels per metre
      0x88, 0x0B, 0x00, 0x00,              //
      0x00, 0x00, 0x00, 0x00,              // colours used
      0x00, 0x00, 0x00, 0x00,              // important colours
      0x00, 0x00, 0x00, 0x00,              // the zero palette entry
  };
  EXPECT_EQ(BmpHeader(2, 2), expected);
}

TEST(Bmp, OddWidthFileWithPaddedRows) {
  // 3 x 2: rows of 9 bytes padded to 12, bottom row first.
  const Bytes rows = {
      0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00,  // blue green red
      0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0x00, 0x00, 0x00,  // white black grey
  };
  const Bytes expected = {
      0x42, 0x4D, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00,
      0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x18, 0x00, 0x00, 0x00, 0x88, 0x0B, 0x00, 0x00, 0x88, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
      0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x80, 0x80, 0x00, 0x00, 0x00,
  };
  EXPECT_EQ(EncodeBmp(3, 2, rows), expected);
}

TEST(Bmp, SizesOfLargerImages) {
  Bytes h = BmpHeader(640, 480);
  auto u32 = [&](size_t at) {
    return std::uint32_t(h[at]) | std::uint32_t(h[at + 1]) << 8 | std::uint32_t(h[at + 2]) << 16 |
           std::uint32_t(h[at + 3]) << 24;
  };
  EXPECT_EQ(u32(2), 921658u);
  EXPECT_EQ(u32(34), 921600u);
  Bytes odd = BmpHeader(101, 3);
  EXPECT_EQ(odd[2] | odd[3] << 8, 58 + 304 * 3);
}

// The movie recorder against a fake saver.
struct Movie {
  double frameNo = 1, maxFrames = 20, interval = 1, lastTime = 0, plotTime = 1;
  std::string prefix = "Vanex20240101_120000", folder = "/tmp/frames/";
  std::vector<std::string> saved;
  MovieState state{frameNo, maxFrames, interval, lastTime, plotTime, prefix, folder};
  void Step(double plotDate) {
    MovieSaveAs(state, plotDate, [&](std::string& name, std::string& dir) { saved.push_back(dir + name); });
  }
};

TEST(MovieSaveAs, TwentyFramesThenTheRecordingEnds) {
  Movie m;
  double day = 45000;
  for (int i = 0; i < 20; ++i) m.Step(day + i / 86400.0 * 2);  // 2 s of plot time a call
  ASSERT_EQ(m.saved.size(), 20u);
  EXPECT_EQ(m.saved.front(), "/tmp/frames/Vanex20240101_1200001.bmp");
  EXPECT_EQ(m.saved.back(), "/tmp/frames/Vanex20240101_12000020.bmp");
  EXPECT_EQ(m.frameNo, 21);
  m.Step(day + 1);
  EXPECT_EQ(m.saved.size(), 20u);
  EXPECT_EQ(m.frameNo, 0);
  EXPECT_EQ(m.lastTime, 0);
}

TEST(MovieSaveAs, PlotTimeEqualityIsDueWallClockEqualityIsNot) {
  Movie m;
  m.lastTime = 100;
  m.interval = 20;
  m.Step(120.0 / 86400);
  EXPECT_EQ(m.saved.size(), 1u);
  EXPECT_DOUBLE_EQ(m.lastTime, 120);

  test::ClockGuard clock;
  Movie w;
  w.plotTime = 0;
  w.interval = 0.5;
  w.lastTime = MovieClock() - 0.5;
  w.Step(0);
  EXPECT_TRUE(w.saved.empty());
  clock.clock().Advance(0.001);
  w.Step(0);
  ASSERT_EQ(w.saved.size(), 1u);
  EXPECT_DOUBLE_EQ(w.lastTime, MovieClock());
  EXPECT_EQ(w.frameNo, 2);
}

TEST(MovieSaveAs, AWallClockRecordingKeepsGoingPastMidnight) {
  test::ClockGuard clock(45000.0 + 86399.0 / 86400);  // 23:59:59
  Movie w;
  w.plotTime = 0;
  w.interval = 0.6;
  w.Step(0);  // the first frame is due at once
  ASSERT_EQ(w.saved.size(), 1u);
  for (int i = 0; i < 10; ++i) {
    clock.clock().Advance(0.7);
    w.Step(0);
  }
  EXPECT_EQ(w.saved.size(), 11u) << "one frame per 0.7 s across midnight";
}

TEST(MovieSaveAs, EndStopsAPlotTimeRecordingStandingOnTheLastRow) {
  Movie m;
  const double lastRowDate = 45000.5;
  m.Step(lastRowDate);
  ASSERT_EQ(m.saved.size(), 1u);
  for (int i = 0; i < 5; ++i) m.Step(lastRowDate);  // the plot does not move: nothing due
  EXPECT_EQ(m.saved.size(), 1u);
  EXPECT_EQ(m.frameNo, 2) << "still recording";
  m.maxFrames = m.frameNo;  // End
  m.Step(lastRowDate);
  EXPECT_EQ(m.frameNo, 0) << "the recording ends";
  EXPECT_EQ(m.lastTime, 0);
  EXPECT_EQ(m.saved.size(), 1u);
}

TEST(MovieSaveAs, EndWhileThePlotMovesSavesOneMoreFrame) {
  Movie m;
  m.Step(45000);
  m.maxFrames = m.frameNo;      // End with frame 2 due next
  m.Step(45000 + 0.5 / 86400);  // not yet due: still recording
  EXPECT_EQ(m.frameNo, 2);
  m.Step(45000 + 1.0 / 86400);
  EXPECT_EQ(m.saved.size(), 2u);
  m.Step(45000 + 3.0 / 86400);
  EXPECT_EQ(m.frameNo, 0);
  EXPECT_EQ(m.saved.size(), 2u);
}

}  // namespace
}  // namespace vantrel::view
