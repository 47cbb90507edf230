#pragma once

// The background of the X root window, where no desktop environment draws one. The picture becomes a
// pixmap that outlives the program and is published as _XROOTPMAP_ID and ESETROOT_PMAP_ID, the
// convention terminals and compositors read for the desktop's picture; the pixmap an earlier program
// published that way is freed.

#include <QImage>
#include <QSize>

namespace wallpaper {

// The size of the root window of the display the application shows on. Raises rtl::Exception when
// that is no X display.
QSize RootSize();

// Shows `picture` (the root window's size) as the background; a null picture restores the server's
// own background and withdraws the published pixmap. Raises rtl::Exception with the display's
// refusal, leaving the earlier background as it was.
void SetRootBackground(const QImage& picture);

}  // namespace wallpaper
