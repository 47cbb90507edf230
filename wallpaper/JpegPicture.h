#pragma once

// JPEG pictures decoded with libjpeg-turbo straight into a 32-bit image.

#include <QImage>
#include <string>

namespace wallpaper {

// Raises rtl::Exception naming the file when it cannot be opened or is not a readable JPEG picture.
QImage LoadJpeg(const std::string& fileName);

}  // namespace wallpaper
