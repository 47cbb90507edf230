#include "render/DDCanvas.h"

#include "platform/dd/qt/SurfaceWidget.h"
#include "platform/rtl/Exceptions.h"

TDDCanvas::TDDCanvas(dd::Surface* surface) : FSurface(surface) {
  if (surface == nullptr) throw rtl::Exception("DDCanvas error: Cannot create canvas for NIL surface");
}

TDDCanvas::~TDDCanvas() { ReleaseHandle(); }

QPainter& TDDCanvas::Painter() {
  if (!FPainter) CreateHandle();
  return *FPainter;
}

void TDDCanvas::TextOut(int x, int y, const QString& text) {
  QPainter& painter = Painter();
  painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

// A painter cannot draw on palette indexes: an 8-bit surface is drawn on as a 32-bit copy and mapped
// back to its palette when the handle is released. The surface's result is not tested: a canvas
// without memory draws on nothing.
void TDDCanvas::CreateHandle() {
  FContext = d3d::ColorTarget{};
  if (FSurface->GetDC(&FContext) != dd::DD_OK) {
    FImage = QImage(1, 1, QImage::Format_RGB32);
  } else if (FContext.format == d3d::PixelFormat::Palette8) {
    QImage indexed(FContext.pixels, FContext.width, FContext.height, FContext.pitch, QImage::Format_Indexed8);
    indexed.setColorTable(dd::qt::ColorTable(FContext.palette));
    FImage = indexed.convertToFormat(QImage::Format_RGB32);
  } else {
    FImage =
        QImage(FContext.pixels, FContext.width, FContext.height, FContext.pitch, dd::qt::ImageFormat(FContext.format));
  }
  FPainter.emplace(&FImage);
}

void TDDCanvas::ReleaseHandle() {
  if (!FPainter) return;
  FPainter.reset();
  if (FContext.pixels == nullptr) return;
  if (FContext.format == d3d::PixelFormat::Palette8) {
    const QImage indexed = FImage.convertToFormat(QImage::Format_Indexed8, dd::qt::ColorTable(FContext.palette),
                                                  Qt::ThresholdDither | Qt::AvoidDither);
    for (int y = 0; y < FContext.height; ++y)
      std::memcpy(FContext.pixels + y * FContext.pitch, indexed.constScanLine(y),
                  static_cast<std::size_t>(FContext.width));
  }
  FImage = QImage();
  FContext = d3d::ColorTarget{};
  FSurface->ReleaseDC();
}
