#include "ui/toolbar_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <functional>
#include <map>

namespace vantrel::ui {
namespace {

using Draw = std::function<void(QPainter&)>;

struct Picture {
  std::string key;
  Draw draw;
};

const QColor kInk(30, 30, 40);
const QColor kBlue(40, 110, 220);
const QColor kRed(220, 50, 40);
const QColor kGreen(30, 160, 60);

QPen Pen(const QColor& c, double w) {
  QPen p(c, w);
  p.setCapStyle(Qt::RoundCap);
  p.setJoinStyle(Qt::RoundJoin);
  return p;
}

void Magnifier(QPainter& p, int sign) {
  p.setPen(Pen(kInk, 2.2));
  p.setBrush(QColor(220, 235, 255));
  p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
  p.setPen(Pen(kInk, 3.5));
  p.drawLine(QPointF(15, 15), QPointF(21, 21));
  if (sign != 0) {
    p.setPen(Pen(sign > 0 ? kGreen : kRed, 2.4));
    p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
    if (sign > 0) p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
  }
}

void Arrowhead(QPainter& p, QPointF tip, double angleDeg, const QColor& c, double size = 5) {
  const double a = angleDeg * M_PI / 180;
  QPolygonF head;
  head << tip << tip - QPointF(size * std::cos(a - 0.45), size * std::sin(a - 0.45))
       << tip - QPointF(size * std::cos(a + 0.45), size * std::sin(a + 0.45));
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(head);
}

void Axis(QPainter& p, QPointF from, QPointF to, const QColor& c) {
  p.setPen(Pen(c, 2.4));
  p.drawLine(from, to);
  const QPointF d = to - from;
  Arrowhead(p, to, std::atan2(d.y(), d.x()) * 180 / M_PI, c);
}

std::map<int, Picture>& ViewPictures() {
  static std::map<int, Picture> m = {
      {7,
       {"arrow",
        [](QPainter& p) {
          QPolygonF a;
          a << QPointF(5, 2) << QPointF(5, 19) << QPointF(9.5, 15) << QPointF(13, 22) << QPointF(16, 20.5)
            << QPointF(12.5, 13.8) << QPointF(18.5, 13.5);
          p.setPen(Pen(kInk, 1.6));
          p.setBrush(Qt::white);
          p.drawPolygon(a);
        }}},
      {10,
       {"hand",
        [](QPainter& p) {
          p.setPen(Pen(kInk, 1.5));
          p.setBrush(QColor(250, 215, 170));
          for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(5 + 3.4 * i, 3 + (i == 0 || i == 3 ? 2 : 0), 3, 11), 1.5, 1.5);
          p.drawRoundedRect(QRectF(5, 10, 13.2, 11), 3, 3);
          p.save();
          p.translate(5, 15);
          p.rotate(-40);
          p.drawRoundedRect(QRectF(-1.5, -8, 3, 8), 1.5, 1.5);
          p.restore();
        }}},
      {4, {"zoom", [](QPainter& p) { Magnifier(p, 0); }}},
      {5, {"zoomm", [](QPainter& p) { Magnifier(p, -1); }}},
      {6, {"zoomp", [](QPainter& p) { Magnifier(p, 1); }}},
      {149,
       {"",
        [](QPainter& p) {
          // The background colour toggled: a dark and a white half.
          p.setPen(Pen(kInk, 1.5));
          p.setBrush(QColor(10, 20, 70));
          p.drawRect(QRectF(3, 3, 18, 18));
          p.setBrush(Qt::white);
          QPolygonF half;
          half << QPointF(21, 3) << QPointF(21, 21) << QPointF(3, 21);
          p.drawPolygon(half);
          p.setPen(Pen(QColor(255, 200, 0), 2));
          p.setBrush(QColor(255, 220, 60));
          p.drawEllipse(QPointF(9, 9), 3, 3);
        }}},
      {105,
       {"",
        [](QPainter& p) {
          // Automatic rotation on or off: a turning arrow around a stop bar.
          p.setPen(Pen(kBlue, 2.4));
          p.setBrush(Qt::NoBrush);
          p.drawArc(QRectF(3, 3, 18, 18), 100 * 16, 290 * 16);
          Arrowhead(p, QPointF(10.5, 3.4), 200, kBlue, 5.5);
          p.setPen(Qt::NoPen);
          p.setBrush(kRed);
          p.drawRect(QRectF(9, 8.5, 6, 7));
        }}},
      {84,
       {"",
        [](QPainter& p) {
          // The redraw frozen: a trace with a pause sign.
          p.setPen(Pen(kGreen, 2));
          p.drawLine(QPointF(2, 20), QPointF(8, 13));
          p.setPen(Pen(kInk, 1));
          p.setBrush(kInk);
          p.drawEllipse(QPointF(8, 13), 2, 2);
          p.setPen(Qt::NoPen);
          p.setBrush(kBlue);
          p.drawRect(QRectF(12, 4, 3.5, 14));
          p.drawRect(QRectF(18, 4, 3.5, 14));
        }}},
      {66,
       {"vanex",
        [](QPainter& p) {
          // The ISO view: the three axes X red, Y green, Z blue.
          const QPointF o(11, 14);
          Axis(p, o, QPointF(21, 19), kRed);
          Axis(p, o, QPointF(2.5, 19.5), kGreen);
          Axis(p, o, QPointF(11, 2), kBlue);
        }}},
      {258,
       {"",
        [](QPainter& p) {
          // Axis views in turn: two axes and a turning arrow.
          const QPointF o(5, 19);
          Axis(p, o, QPointF(20, 19), kRed);
          Axis(p, o, QPointF(5, 4), kGreen);
          p.setPen(Pen(kInk, 1.8));
          p.setBrush(Qt::NoBrush);
          p.drawArc(QRectF(7, 6, 12, 12), 0, 90 * 16);
          Arrowhead(p, QPointF(13, 6.1), 180, kInk, 4);
        }}},
      {27,
       {"cactus",
        [](QPainter& p) {
          // Save an image: a camera.
          p.setPen(Pen(kInk, 1.5));
          p.setBrush(QColor(90, 90, 100));
          p.drawRoundedRect(QRectF(2, 7, 20, 13), 2, 2);
          p.drawRect(QRectF(8, 4, 8, 4));
          p.setBrush(QColor(170, 210, 255));
          p.drawEllipse(QPointF(12, 13.5), 4.5, 4.5);
          p.setPen(Qt::NoPen);
          p.setBrush(QColor(255, 220, 60));
          p.drawRect(QRectF(17.5, 9, 2.5, 2));
        }}},
      {48,
       {"squarediam",
        [](QPainter& p) {
          // Movie frames: a film strip.
          p.setPen(Qt::NoPen);
          p.setBrush(kInk);
          p.drawRect(QRectF(2, 4, 20, 16));
          p.setBrush(Qt::white);
          for (int i = 0; i < 5; ++i) {
            p.drawRect(QRectF(3.2 + 4 * i, 5, 2, 2));
            p.drawRect(QRectF(3.2 + 4 * i, 17, 2, 2));
          }
          p.setBrush(QColor(120, 190, 255));
          p.drawRect(QRectF(3.5, 8.5, 7.5, 7));
          p.drawRect(QRectF(13, 8.5, 7.5, 7));
        }}},
  };
  return m;
}

std::map<int, Picture>& OptionPictures() {
  static std::map<int, Picture> m = {
      {1,
       {"",
        [](QPainter& p) {
          // The satellite: a body with coloured sides and two solar wings.
          p.setPen(Pen(kInk, 1.2));
          p.setBrush(QColor(60, 90, 200));
          p.drawRect(QRectF(1.5, 9, 6.5, 6));
          p.drawRect(QRectF(16, 9, 6.5, 6));
          p.setPen(Pen(kInk, 1.5));
          p.drawLine(QPointF(8, 12), QPointF(9, 12));
          p.drawLine(QPointF(15, 12), QPointF(16, 12));
          p.setBrush(QColor(230, 180, 40));
          p.drawRect(QRectF(9, 7.5, 6, 9));
          p.setBrush(kRed);
          p.drawRect(QRectF(9, 7.5, 6, 3));
        }}},
      {2,
       {"cube",
        [](QPainter& p) {
          p.setPen(Pen(kInk, 1.6));
          p.setBrush(QColor(200, 225, 255));
          QPolygonF front, top, side;
          front << QPointF(3, 9) << QPointF(15, 9) << QPointF(15, 21) << QPointF(3, 21);
          top << QPointF(3, 9) << QPointF(9, 3) << QPointF(21, 3) << QPointF(15, 9);
          side << QPointF(15, 9) << QPointF(21, 3) << QPointF(21, 15) << QPointF(15, 21);
          p.drawPolygon(front);
          p.setBrush(QColor(150, 190, 245));
          p.drawPolygon(top);
          p.setBrush(QColor(100, 150, 230));
          p.drawPolygon(side);
        }}},
      {96,
       {"",
        [](QPainter& p) {
          // The Earth: an ocean globe with a continent and meridians.
          p.setPen(Pen(QColor(20, 60, 140), 1.4));
          p.setBrush(QColor(60, 130, 230));
          p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
          p.setPen(Qt::NoPen);
          p.setBrush(kGreen);
          QPainterPath land;
          land.moveTo(7, 7);
          land.cubicTo(11, 4, 14, 8, 12, 11);
          land.cubicTo(10, 14, 13, 17, 10, 19);
          land.cubicTo(6, 17, 5, 11, 7, 7);
          p.drawPath(land);
          p.setPen(Pen(QColor(220, 235, 255), 0.9));
          p.setBrush(Qt::NoBrush);
          p.drawEllipse(QPointF(12, 12), 4, 9.5);
          p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        }}},
      {92,
       {"",
        [](QPainter& p) {
          // The Moon, amplified: a grey crescent with a plus.
          QPainterPath moon;
          moon.addEllipse(QPointF(11, 12), 9, 9);
          QPainterPath bite;
          bite.addEllipse(QPointF(16, 9), 7.5, 7.5);
          p.setPen(Pen(QColor(90, 90, 90), 1.2));
          p.setBrush(QColor(190, 190, 180));
          p.drawPath(moon.subtracted(bite));
          p.setPen(Pen(kInk, 2.2));
          p.drawLine(QPointF(15, 6), QPointF(21, 6));
          p.drawLine(QPointF(18, 3), QPointF(18, 9));
        }}},
      {165,
       {"",
        [](QPainter& p) {
          // The local frame at the current point: small axes on a trajectory.
          p.setPen(Pen(kGreen, 1.8));
          p.setBrush(Qt::NoBrush);
          p.drawArc(QRectF(-6, 8, 30, 26), 30 * 16, 120 * 16);
          const QPointF o(10, 10);
          Axis(p, o, QPointF(21, 10), kRed);
          Axis(p, o, QPointF(10, 21), kBlue);
          Axis(p, o, QPointF(4, 3), kInk);
        }}},
      {104,
       {"",
        [](QPainter& p) {
          // The options panel: ticked boxes.
          p.setPen(Pen(kInk, 1.3));
          for (int i = 0; i < 3; ++i) {
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3, 3 + 6.5 * i, 5, 5));
            p.drawLine(QPointF(11, 5.5 + 6.5 * i), QPointF(21, 5.5 + 6.5 * i));
          }
          p.setPen(Pen(kGreen, 1.8));
          p.drawLine(QPointF(3.8, 5.5), QPointF(5.3, 7.2));
          p.drawLine(QPointF(5.3, 7.2), QPointF(8.5, 2.5));
          p.drawLine(QPointF(3.8, 18.5), QPointF(5.3, 20.2));
          p.drawLine(QPointF(5.3, 20.2), QPointF(8.5, 15.5));
        }}},
      {107,
       {"",
        [](QPainter& p) {
          // Pen up: a dashed trace and a lifted pencil.
          QPen dash = Pen(kBlue, 2);
          dash.setDashPattern({1.5, 2});
          p.setPen(dash);
          p.drawLine(QPointF(2, 21), QPointF(12, 16));
          p.save();
          p.translate(16, 9);
          p.rotate(45);
          p.setPen(Pen(kInk, 1.2));
          p.setBrush(QColor(250, 200, 60));
          p.drawRect(QRectF(-2.5, -8, 5, 12));
          QPolygonF tip;
          tip << QPointF(-2.5, 4) << QPointF(2.5, 4) << QPointF(0, 8);
          p.setBrush(QColor(240, 220, 190));
          p.drawPolygon(tip);
          p.restore();
        }}},
  };
  return m;
}

const std::map<int, Picture>& Pictures(PictureList list) {
  return list == PictureList::kView ? ViewPictures() : OptionPictures();
}

}  // namespace

QPixmap ToolbarPicture(PictureList list, int number, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  const auto& pictures = Pictures(list);
  auto it = pictures.find(number);
  if (it == pictures.end()) return pixmap;
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 24.0, size / 24.0);
  it->second.draw(p);
  return pixmap;
}

std::string ToolbarPictureKey(PictureList list, int number) {
  const auto& pictures = Pictures(list);
  auto it = pictures.find(number);
  return it == pictures.end() ? std::string() : it->second.key;
}

std::vector<int> DrawnPictures(PictureList list) {
  std::vector<int> numbers;
  for (const auto& [n, picture] : Pictures(list)) numbers.push_back(n);
  return numbers;
}

void FillToolbarImageLists(forms::ImageList& viewList, forms::ImageList& optionList) {
  auto fill = [](forms::ImageList& images, PictureList list, int count) {
    for (int n = images.Count() + 1; n <= count; ++n)
      images.Add(ToolbarPicture(list, n, images.ImageWidth()), ToolbarPictureKey(list, n));
  };
  fill(viewList, PictureList::kView, kViewPictures);
  fill(optionList, PictureList::kOption, kOptionPictures);
}

QPixmap PowerPointPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 24.0, size / 24.0);
  p.setPen(Pen(kInk, 0.8));
  p.setBrush(QColor(10, 20, 70));
  p.drawRect(QRectF(1.5, 3, 21, 15));
  p.setPen(Pen(QColor(0, 255, 0), 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(12, 10.5), 8, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 130, 230));
  p.drawEllipse(QPointF(12, 10.5), 2.5, 2.5);
  p.setPen(Pen(kInk, 1));
  p.drawLine(QPointF(12, 18), QPointF(12, 21));
  p.drawLine(QPointF(8, 21.5), QPointF(16, 21.5));
  ViewPictures().at(7).draw(p);
  return pixmap;
}

}  // namespace vantrel::ui
