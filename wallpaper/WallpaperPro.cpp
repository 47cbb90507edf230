#include "wallpaper/WallpaperPro.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "platform/os/Registry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "wallpaper/DesktopSetting.h"
#include "wallpaper/JpegPicture.h"
#include "wallpaper/RootBackground.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";

// What each style means to the desktop store, and to a desktop environment in GNOME's words.
struct TStyleValues {
  const char* TileWallPaper;
  const char* WallPaperStyle;
  const char* Option;
};
constexpr TStyleValues kStyles[] = {
    {"0", "2", "stretched"},  // dsStretched
    {"0", "0", "centered"},   // dsCentered
    {"1", "0", "wallpaper"},  // dsTiled
    {"0", "2", "zoom"},       // dsMaxed: as large as the screen allows, keeping the proportions
};

QString LocalName(const std::string& fileName) { return QFile::decodeName(fileName.c_str()); }

// From the last '.' of the name part, lower-cased; empty when there is none.
std::string LowerExtension(const std::string& fileName) {
  const auto dot = fileName.find_last_of('.');
  const auto slash = fileName.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = fileName.substr(dot);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

bool IsBitmap(const std::string& fileName) { return LowerExtension(fileName) == ".bmp"; }

QImage LoadPicture(const std::string& fileName) {
  if (!IsBitmap(fileName)) return wallpaper::LoadJpeg(fileName);
  QImageReader reader(LocalName(fileName), "BMP");
  QImage picture = reader.read();
  if (reader.error() == QImageReader::FileNotFoundError) throw rtl::EFOpenError(fileName);
  if (picture.isNull())
    throw rtl::Exception(rtl::Format("Cannot read the picture %s: %s", fileName, reader.errorString().toStdString()));
  return picture;
}

[[noreturn]] void FailToWrite(const std::string& target, const QString& why) {
  throw rtl::Exception(rtl::Format("Cannot write file %s: %s", target, why.toStdString()));
}

// Writes `target` as a partial file renamed over it once complete, so a failure never leaves half a
// bitmap where the desktop looks for one.
void WriteWhole(const std::string& target, const QByteArray& bytes) {
  QSaveFile file(LocalName(target));
  if (!file.open(QIODevice::WriteOnly)) throw rtl::EFCreateError(target);
  // A short write is retried: the one after it fails with the reason (a full disk, say).
  for (qint64 done = 0; done < bytes.size();) {
    const qint64 count = file.write(bytes.constData() + done, bytes.size() - done);
    if (count <= 0) FailToWrite(target, file.errorString());
    done += count;
  }
  if (!file.commit()) FailToWrite(target, file.errorString());
}

void SaveBitmap(const QImage& picture, const std::string& target) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "BMP")) FailToWrite(target, "the picture cannot be made a bitmap");
  WriteWhole(target, bytes);
}

void CopyBitmap(const std::string& source, const std::string& target) {
  QFile input(LocalName(source));
  if (!input.open(QIODevice::ReadOnly)) throw rtl::EFOpenError(source);
  WriteWhole(target, input.readAll());
}

// Stretched over the primary screen's pixels.
QImage FittedToScreen(const QImage& picture) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) throw rtl::Exception("Cannot fit the wallpaper: there is no screen");
  const QSize size = (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
  return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

void TWallpaperPro::CheckImageFile(const std::string& fileName) {
  const std::string extension = LowerExtension(fileName);
  if (extension != ".bmp" && extension != ".jpg" && extension != ".jpeg")
    throw rtl::Exception(rtl::Format("File: %s is not bmp or jpg file", fileName));
}

std::string TWallpaperPro::WindowsDirectory() {
  // A relative XDG_DATA_HOME is invalid by the XDG rules and ignored.
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path folder =
      (data != nullptr && *data == '/' ? std::filesystem::path(data) : os::HomeDirectory() / ".local" / "share") /
      "quorlith3d";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw rtl::Exception(rtl::Format("Cannot create the folder %s: %s", folder.string(), error.message()));
  return folder.string() + "/";
}

void TWallpaperPro::PrepareFile(const std::string& source, const std::string& target, bool fit) {
  CheckImageFile(source);
  CheckImageFile(target);
  // The name up to its first '.', then "bmp": "picture.JPEG" -> "picture.bmp".
  const std::string name = std::filesystem::path(target).filename().string();
  const std::string bitmap = WindowsDirectory() + name.substr(0, name.find('.') + 1) + "bmp";
  if (fit) {
    SaveBitmap(FittedToScreen(LoadPicture(source)), bitmap);
  } else if (IsBitmap(source)) {
    CopyBitmap(source, bitmap);
  } else {
    SaveBitmap(LoadPicture(source), bitmap);
  }
  FileName = bitmap;
}

void TWallpaperPro::Apply() {
  const std::string file = FileName.empty() ? FileName : std::filesystem::absolute(FileName).string();
  if (const auto desktop = wallpaper::DesktopSetting::Running()) {
    desktop->Set(file, kStyles[DrawStyle].Option);
  } else {
    ApplyClassic(file);
  }
}

void TWallpaperPro::ApplyClassic(const std::string& file) {
  // The background first: when the display refuses it, the store keeps naming the picture still shown.
  const QSize root = wallpaper::RootSize();
  wallpaper::SetRootBackground(file.empty() ? QImage() : Arranged(LoadPicture(file), root));
  // The key also holds the desktop's password flag, so creating it on a fresh account is harmless.
  os::Registry desktop(os::RootKey::CurrentUser);
  if (desktop.OpenKey(kDesktopKey, true)) {
    desktop.WriteString("TileWallPaper", kStyles[DrawStyle].TileWallPaper);
    desktop.WriteString("WallPaperStyle", kStyles[DrawStyle].WallPaperStyle);
    desktop.WriteString("WallPaper", file);
    desktop.CloseKey();
  }
}

QImage TWallpaperPro::Arranged(const QImage& picture, QSize size) const {
  QImage canvas(size, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter painter(&canvas);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const auto centred = [size](QSize part) {
    return QRect(QPoint(size.width() - part.width(), size.height() - part.height()) / 2, part);
  };
  switch (DrawStyle) {
    case dsStretched:
      painter.drawImage(canvas.rect(), picture);
      break;
    case dsCentered:
      painter.drawImage(centred(picture.size()), picture);
      break;
    case dsTiled:
      painter.fillRect(canvas.rect(), QBrush(picture));
      break;
    case dsMaxed:
      painter.drawImage(centred(picture.size().scaled(size, Qt::KeepAspectRatioByExpanding)), picture);
      break;
  }
  return canvas;
}

void InstallProductWallpaper(const std::string& pictureFile) {
  TWallpaperPro wallpaper;
  wallpaper.FileName = pictureFile;
  wallpaper.PrepareFile(wallpaper.FileName, wallpaper.FileName, true);
  wallpaper.DrawStyle = dsCentered;
  wallpaper.Apply();
}
