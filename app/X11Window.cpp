#include "app/X11Window.h"

#include <unistd.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <memory>

// Xlib's macros (Bool, Status, None, RootWindow) would break Qt's headers: X comes last.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <xcb/xcb.h>

namespace x11 {

namespace {

QtMessageHandler gQtMessages = nullptr;

[[noreturn]] void ConnectionLost() {
  static constexpr char kLine[] = "quorlith3d: the connection to the X display was lost\n";
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
  _exit(1);
}

// Qt's own word for a broken connection, just before it would end the program itself.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("The X11 connection broke")) ConnectionLost();
  if (gQtMessages != nullptr) {
    gQtMessages(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

// Xlib's, when one of its calls meets the broken connection first.
int OnInputOutputError(Display*) { ConnectionLost(); }

xcb_connection_t* Connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// The window's attributes, or null when there is no such window.
ReplyPtr<xcb_get_window_attributes_reply_t> Attributes(xcb_connection_t* connection, std::uintptr_t window) {
  xcb_generic_error_t* error = nullptr;
  ReplyPtr<xcb_get_window_attributes_reply_t> reply(
      xcb_get_window_attributes_reply(connection,
                                      xcb_get_window_attributes(connection, static_cast<xcb_window_t>(window)), &error),
      &std::free);
  std::free(error);
  return reply;
}

}  // namespace

QWindow* ForeignWindow(std::uintptr_t window) {
  QWindow* foreign = QWindow::fromWinId(static_cast<WId>(window));
  static_cast<QObject*>(foreign)->setParent(qGuiApp);
  return foreign;
}

std::uintptr_t RootWindowId() {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) return 0;
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

std::optional<QSize> WindowSize(std::uintptr_t window) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr || window == 0) return std::nullopt;
  xcb_generic_error_t* error = nullptr;
  ReplyPtr<xcb_get_geometry_reply_t> reply(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)), &error),
      &std::free);
  std::free(error);
  if (reply == nullptr) return std::nullopt;
  return QSize(reply->width, reply->height);
}

bool WindowViewable(std::uintptr_t window) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) return false;
  const auto attributes = Attributes(connection, window);
  return attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool MonitorAsleep() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  if (display == nullptr) return false;
  int eventBase = 0, errorBase = 0;
  if (!DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display)) return false;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  if (!DPMSInfo(display, &level, &enabled)) return false;
  return enabled && level != DPMSModeOn;
}

// Sees the X events before Qt does; visibility changes of the watched window are all it keeps.
void Raise(std::uintptr_t window) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) return;
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(connection, static_cast<xcb_window_t>(window), XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_flush(connection);
}

class CoverWatch::Filter : public QAbstractNativeEventFilter {
 public:
  explicit Filter(std::uintptr_t window) : FWindow(window) {}

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_VISIBILITY_NOTIFY) return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->window == FWindow) Covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    return false;
  }

  bool Covered = false;

 private:
  std::uintptr_t FWindow;
};

void EndOnLostConnection() {
  gQtMessages = qInstallMessageHandler(OnQtMessage);
  XSetIOErrorHandler(OnInputOutputError);
}

// Qt's own windows already ask for visibility changes; asking again costs nothing and keeps this
// independent of that.
CoverWatch::CoverWatch(std::uintptr_t window) : FFilter(new Filter(window)) {
  qGuiApp->installNativeEventFilter(FFilter);
  if (xcb_connection_t* connection = Connection()) {
    if (const auto attributes = Attributes(connection, window)) {
      const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
      xcb_change_window_attributes(connection, static_cast<xcb_window_t>(window), XCB_CW_EVENT_MASK, &mask);
      xcb_flush(connection);
    }
  }
}

CoverWatch::~CoverWatch() {
  qGuiApp->removeNativeEventFilter(FFilter);
  delete FFilter;
}

bool CoverWatch::Covered() const { return FFilter->Covered; }

}  // namespace x11
