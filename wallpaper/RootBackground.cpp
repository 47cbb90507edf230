#include "wallpaper/RootBackground.h"

#include <QGuiApplication>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

// Xlib's macros (Bool, Status, None) would break Qt's headers: X comes last.
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace wallpaper {

namespace {

// The names the root pixmap is published under; the second marks it as one that may be freed.
constexpr const char* kRootPixmap = "_XROOTPMAP_ID";
constexpr const char* kFreeablePixmap = "ESETROOT_PMAP_ID";

// The bytes of one image request beside its pixels.
constexpr std::uint32_t kPutImageHeader = 24;

using ConnectionPtr = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

[[noreturn]] void Fail(const std::string& why) { throw rtl::Exception("Cannot set the desktop wallpaper: " + why); }

Display* QtDisplay() {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->display() == nullptr) Fail("the desktop is not shown through an X display");
  return x11->display();
}

// A connection of its own to the display Qt shows on: a pixmap outlives its program only when every
// resource of its connection is kept, and that must not keep the program's windows.
ConnectionPtr Connect(int& screenNumber) {
  ConnectionPtr connection(xcb_connect(DisplayString(QtDisplay()), &screenNumber), &xcb_disconnect);
  if (xcb_connection_has_error(connection.get())) Fail("cannot connect to the X display");
  return connection;
}

xcb_screen_t* ScreenOf(xcb_connection_t* connection, int number) {
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (; number > 0 && screens.rem > 1; --number) xcb_screen_next(&screens);
  return screens.data;
}

void Check(xcb_connection_t* connection, xcb_void_cookie_t cookie, const char* what) {
  if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
    const int code = error->error_code;
    std::free(error);
    Fail(rtl::Format("the X display refused to %s (error %d)", what, code));
  }
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr), &std::free);
  if (reply == nullptr) Fail("the X display did not answer");
  return reply->atom;
}

std::optional<xcb_pixmap_t> PixmapProperty(xcb_connection_t* connection, xcb_window_t root, const char* name) {
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, root, Atom(connection, name), XCB_ATOM_PIXMAP, 0, 1), nullptr),
      &std::free);
  if (reply == nullptr || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) return std::nullopt;
  return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
}

// The published pixmap that its maker left to be freed by the next one.
std::optional<xcb_pixmap_t> FreeablePixmap(xcb_connection_t* connection, xcb_window_t root) {
  const auto published = PixmapProperty(connection, root, kRootPixmap);
  return published == PixmapProperty(connection, root, kFreeablePixmap) ? published : std::nullopt;
}

// The pixels go up as QImage keeps them: 32 bits of 0xffRRGGBB in the host's byte order.
bool TakesImagePixels(xcb_connection_t* connection, const xcb_screen_t* screen) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const auto hostOrder =
      std::endian::native == std::endian::little ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
  if (screen->root_depth != 24 || setup->image_byte_order != hostOrder) return false;
  const xcb_format_t* formats = xcb_setup_pixmap_formats(setup);
  bool wholeWords = false;
  for (int i = 0; i < xcb_setup_pixmap_formats_length(setup); ++i)
    wholeWords |= formats[i].depth == 24 && formats[i].bits_per_pixel == 32 && formats[i].scanline_pad == 32;
  for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0; xcb_depth_next(&depths)) {
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0; xcb_visualtype_next(&visuals)) {
      const xcb_visualtype_t* visual = visuals.data;
      if (visual->visual_id == screen->root_visual)
        return wholeWords && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xFF0000 &&
               visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
    }
  }
  return false;
}

xcb_pixmap_t UploadPixmap(xcb_connection_t* connection, const xcb_screen_t* screen, const QImage& picture) {
  const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
  const xcb_pixmap_t pixmap = xcb_generate_id(connection);
  Check(
      connection,
      xcb_create_pixmap_checked(connection, screen->root_depth, pixmap, screen->root, pixels.width(), pixels.height()),
      "make a pixmap of the screen's size");
  const xcb_gcontext_t gc = xcb_generate_id(connection);
  xcb_create_gc(connection, gc, pixmap, 0, nullptr);
  const std::uint32_t stride = std::uint32_t(pixels.bytesPerLine());
  const std::uint32_t bytesPerRequest = xcb_get_maximum_request_length(connection) * 4 - kPutImageHeader;
  const int rowsPerRequest = std::max<int>(1, int(bytesPerRequest / stride));
  std::vector<xcb_void_cookie_t> puts;
  for (int y = 0; y < pixels.height(); y += rowsPerRequest) {
    const int rows = std::min(rowsPerRequest, pixels.height() - y);
    puts.push_back(xcb_put_image_checked(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, pixels.width(), rows, 0,
                                         std::int16_t(y), 0, screen->root_depth, rows * stride,
                                         pixels.constScanLine(y)));
  }
  xcb_free_gc(connection, gc);
  for (const xcb_void_cookie_t put : puts) Check(connection, put, "take the picture");
  return pixmap;
}

// Sets the root window's background to `pixmap` (none: the server's own) and publishes it.
void ShowPixmap(xcb_connection_t* connection, xcb_window_t root, xcb_pixmap_t pixmap) {
  Check(connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_BACK_PIXMAP, &pixmap),
        "set the root window's background");
  xcb_clear_area(connection, 0, root, 0, 0, 0, 0);
  for (const char* name : {kRootPixmap, kFreeablePixmap}) {
    if (pixmap == XCB_BACK_PIXMAP_NONE) {
      xcb_delete_property(connection, root, Atom(connection, name));
    } else {
      xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, Atom(connection, name), XCB_ATOM_PIXMAP, 32, 1,
                          &pixmap);
    }
  }
}

}  // namespace

QSize RootSize() {
  Display* display = QtDisplay();
  return QSize(DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display)));
}

void SetRootBackground(const QImage& picture) {
  int screenNumber = 0;
  const ConnectionPtr connection = Connect(screenNumber);
  xcb_connection_t* x = connection.get();
  const xcb_screen_t* screen = ScreenOf(x, screenNumber);
  xcb_pixmap_t pixmap = XCB_BACK_PIXMAP_NONE;
  if (!picture.isNull()) {
    if (!TakesImagePixels(x, screen))
      Fail(rtl::Format("the X display's pixel format (%d bits) is not supported", int(screen->root_depth)));
    pixmap = UploadPixmap(x, screen, picture);
  }
  // Freed only once the new background stands: a failure up to here leaves the old one showing.
  const auto earlier = FreeablePixmap(x, screen->root);
  ShowPixmap(x, screen->root, pixmap);
  if (earlier) xcb_kill_client(x, *earlier);
  if (pixmap != XCB_BACK_PIXMAP_NONE) xcb_set_close_down_mode(x, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
  // A round trip, so that everything is done before the connection closes.
  std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
}

}  // namespace wallpaper
