#include "platform/dd/qt/SurfaceWidget.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <chrono>
#include <thread>

#include "platform/dd/DirectDraw.h"
#include "platform/dd/Presenter.h"

namespace dd::qt {

namespace {

using Clock = std::chrono::steady_clock;

// Finds the widget of a window id and paces callers that wait to the screen's refresh, so a show
// never draws frames that no one can see.
class WidgetPresenter : public Presenter {
 public:
  std::int32_t Show(std::uintptr_t window, const Surface& surface, const Rect& source, bool fit, bool wait) override {
    if (wait) WaitForRefresh();
    if (auto* widget = dynamic_cast<SurfaceWidget*>(QWidget::find(static_cast<WId>(window))))
      widget->ShowSurface(surface, source, fit);
    return DD_OK;
  }

 private:
  void WaitForRefresh() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double hertz = screen != nullptr && screen->refreshRate() > 1.0 ? screen->refreshRate() : 60.0;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hertz));
    const Clock::time_point now = Clock::now();
    // A caller that fell behind starts a new beat instead of catching up in a burst.
    if (FNext < now) FNext = now;
    std::this_thread::sleep_until(FNext);
    FNext += period;
  }

  Clock::time_point FNext{};
};

}  // namespace

SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent) {
  UseScreen();
  setAttribute(Qt::WA_OpaquePaintEvent);
}

SurfaceWidget::~SurfaceWidget() = default;

std::uintptr_t SurfaceWidget::WindowId() { return static_cast<std::uintptr_t>(winId()); }

void SurfaceWidget::ShowSurface(const Surface& surface, const Rect& source, bool fit) {
  CopySurface(surface, source, &FShown);
  FFit = fit;
  update();
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (FShown.isNull()) return;
  if (FFit) {
    painter.drawImage(FittedRect(FShown.size(), rect()), FShown);
  } else {
    painter.drawImage(0, 0, FShown);
  }
}

void UseScreen() {
  static WidgetPresenter presenter;
  if (CurrentPresenter() != &presenter) {
    SetPresenter(&presenter);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize size = screen->size();
      // A 24-bit-deep X screen keeps its pixels in 32 bits.
      const int depth = screen->depth() == 24 ? 32 : screen->depth();
      DirectDraw::SetDesktop(DisplayMode{size.width(), size.height(), depth, size.width() * depth / 8, 0});
    }
  }
}

QRect FittedRect(const QSize& picture, const QRect& area) {
  const QSize fitted = picture.scaled(area.size(), Qt::KeepAspectRatio);
  return QRect(area.x() + (area.width() - fitted.width()) / 2, area.y() + (area.height() - fitted.height()) / 2,
               fitted.width(), fitted.height());
}

QImage::Format ImageFormat(d3d::PixelFormat format) {
  switch (format) {
    case d3d::PixelFormat::Palette8:
      return QImage::Format_Indexed8;
    case d3d::PixelFormat::RGB565:
      return QImage::Format_RGB16;
    case d3d::PixelFormat::RGB888:
      return QImage::Format_BGR888;
    case d3d::PixelFormat::XRGB8888:
      break;
  }
  return QImage::Format_RGB32;
}

QList<QRgb> ColorTable(const std::uint32_t* palette) {
  QList<QRgb> colors(256, 0xFF000000u);
  if (palette != nullptr)
    for (int i = 0; i < 256; ++i) colors[i] = 0xFF000000u | palette[i];
  return colors;
}

void CopySurface(const Surface& surface, const Rect& source, QImage* picture) {
  const SurfaceDesc& desc = surface.Desc();
  const QRect area = QRect(source.left, source.top, source.right - source.left, source.bottom - source.top) &
                     QRect(0, 0, desc.width, desc.height);
  if (picture->size() != area.size() || picture->format() != QImage::Format_RGB32)
    *picture = QImage(area.size(), QImage::Format_RGB32);
  if (area.isEmpty()) return;
  const int bytesPerPixel = d3d::BytesPerPixel(desc.format);
  const std::uint8_t* first = surface.Pixels() + area.top() * desc.pitch + area.left() * bytesPerPixel;
  QImage view(first, area.width(), area.height(), desc.pitch, ImageFormat(desc.format));
  if (desc.format == d3d::PixelFormat::Palette8) {
    rtl::Ref<Palette> palette;
    view.setColorTable(ColorTable(surface.GetPalette(&palette) == DD_OK ? palette->Colors().data() : nullptr));
  }
  QPainter painter(picture);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, view);
}

}  // namespace dd::qt
