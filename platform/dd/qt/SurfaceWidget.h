#pragma once

// The window side of the display layer: a widget that shows what primary surfaces bound to it
// through their clipper present (window blits at its origin; full-screen flips scaled to fill it
// with the aspect kept and black bars), paced to the screen's refresh when the caller waits.

#include <QImage>
#include <QWidget>

#include "platform/dd/Surface.h"

namespace dd::qt {

class SurfaceWidget : public QWidget {
 public:
  explicit SurfaceWidget(QWidget* parent = nullptr);
  ~SurfaceWidget() override;

  // The native window id that clippers name; made on first use.
  std::uintptr_t WindowId();
  // A copy of `source` of `surface`, shown at the next paint.
  void ShowSurface(const Surface& surface, const Rect& source, bool fit);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FShown;
  bool FFit = false;
};

// Tells the display layer the screen's size and depth (the desktop that "Window mode" draws at) and
// installs the presenter that finds surface widgets by their window id. Idempotent.
void UseScreen();

// The rectangle a picture of `picture` takes when fitted into `area` with its aspect kept.
QRect FittedRect(const QSize& picture, const QRect& area);

// The Qt image format that reads a surface format's memory as it lies (8 bits: indexes).
QImage::Format ImageFormat(d3d::PixelFormat format);
// A 256-entry palette (0x00RRGGBB words, or none: all black) as an opaque colour table.
QList<QRgb> ColorTable(const std::uint32_t* palette);

// The rectangle of a surface's memory (clipped to the surface) as 32-bit pixels in `picture`, which
// is kept between frames: nothing is allocated while the size stays.
void CopySurface(const Surface& surface, const Rect& source, QImage* picture);

}  // namespace dd::qt
