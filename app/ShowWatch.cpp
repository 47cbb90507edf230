#include "app/ShowWatch.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

void FitToWindow(QWidget* widget, QSize devicePixels);

TShowWatch::TShowWatch(QWidget* show, std::uintptr_t host) : FShow(show), FHost(host), FCover(show->winId()) {
  FTimer.setInterval(kPollMs);
  connect(&FTimer, &QTimer::timeout, this, [this] { Poll(); });
  FTimer.start();
  FollowHost();  // the show is being shown now: whether it can be seen is asked from the first tick on
}

void TShowWatch::Poll() {
  FViewable = x11::WindowViewable(FShow->winId());
  FAsleep = x11::MonitorAsleep();
  FollowHost();
}

void TShowWatch::FollowHost() {
  if (FHost == 0) return;
  const std::optional<QSize> size = x11::WindowSize(FHost);
  if (!size) {
    QApplication::quit();  // nothing left to draw into
    return;
  }
  FitToWindow(FShow, *size);
}

// The X server counts device pixels, Qt's widgets logical ones.
void FitToWindow(QWidget* widget, QSize devicePixels) {
  const QSize size = (QSizeF(devicePixels) / widget->devicePixelRatioF()).toSize();
  if (size != widget->size()) widget->setGeometry(0, 0, size.width(), size.height());
}

bool EmbedInWindow(QWidget* widget, std::uintptr_t window) {
  const std::optional<QSize> size = x11::WindowSize(window);
  if (!size) return false;
  widget->winId();
  widget->windowHandle()->setParent(x11::ForeignWindow(window));
  FitToWindow(widget, *size);
  return true;
}
