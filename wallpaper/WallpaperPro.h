#pragma once

// Turns a picture file (bitmap or JPEG) into a bitmap in the user's data folder and makes it the
// desktop wallpaper: through the setting of the desktop environment that keeps its own (GNOME,
// Cinnamon, MATE, XFCE), otherwise through the desktop values of the settings store and the X root
// window. Needs a running QGuiApplication.

#include <QImage>
#include <QSize>
#include <string>

enum TWallpaperDrawStyle { dsStretched, dsCentered, dsTiled, dsMaxed };

class TWallpaperPro {
 public:
  // Writes the wallpaper bitmap for `source`, named after `target` ("picture.JPEG" -> "picture.bmp")
  // in the data folder, stretched to the primary screen when `fit`; FileName then names it. The
  // bitmap appears whole or not at all: a failed conversion leaves an earlier one as it was.
  void PrepareFile(const std::string& source, const std::string& target, bool fit);
  // Installs FileName with DrawStyle; an empty FileName takes the picture away.
  void Apply();

  // Raises "File: %s is not bmp or jpg file" unless the name ends in .bmp, .jpg or .jpeg (any case).
  static void CheckImageFile(const std::string& fileName);
  // Where the wallpaper bitmaps go: $XDG_DATA_HOME/quorlith3d/ (default ~/.local/share/quorlith3d/),
  // created when missing; ends in '/'.
  static std::string WindowsDirectory();

  std::string FileName;
  TWallpaperDrawStyle DrawStyle = dsStretched;

 private:
  // No desktop environment draws the background: the X root window shows it, the store names it.
  void ApplyClassic(const std::string& file);
  // The picture laid out on a canvas of the given size as DrawStyle says.
  QImage Arranged(const QImage& picture, QSize size) const;
};

// The wallpaper switch: the product's picture, stretched to the screen and centred. Raises with a
// message the user can be shown.
void InstallProductWallpaper(const std::string& pictureFile);
