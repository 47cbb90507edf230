#include "wallpaper/WallpaperPro.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/os/Registry.h"
#include "tests/support/Raises.h"
#include "tests/support/ScopedEnvironment.h"

// Xlib's and xcb's macros would break Qt's headers: X comes last.
#include <xcb/xcb.h>

using namespace testing_support;

namespace {

QGuiApplication& Application() {
  static int argc = 1;
  static char name[] = "wallpaper_tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  return *application;
}

xcb_connection_t* Connection() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root; }

std::optional<std::uint32_t> RootProperty(const char* name) {
  xcb_connection_t* x = Connection();
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr), &std::free);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(x, xcb_get_property(x, 0, Root(), atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr),
      &std::free);
  if (xcb_get_property_value_length(reply.get()) != 4) return std::nullopt;
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// The size of a pixmap the server still keeps; none once it is freed.
std::optional<QSize> PixmapSize(std::uint32_t pixmap) {
  xcb_connection_t* x = Connection();
  std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> reply(
      xcb_get_geometry_reply(x, xcb_get_geometry(x, pixmap), nullptr), &std::free);
  if (reply == nullptr) return std::nullopt;
  return QSize(reply->width, reply->height);
}

QSize ScreenSize() { return QGuiApplication::primaryScreen()->size(); }

// What the root window shows, read back from the display.
QImage RootPicture() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

// Red, green, blue and white quarters: position and orientation show in every corner.
QImage Quarters(QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  const int w = size.width() / 2, h = size.height() / 2;
  picture.fill(Qt::white);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      if (y < h) picture.setPixel(x, y, x < w ? qRgb(255, 0, 0) : qRgb(0, 255, 0));
      if (y >= h && x < w) picture.setPixel(x, y, qRgb(0, 0, 255));
    }
  }
  return picture;
}

void ExpectColour(const QImage& picture, QPoint at, QRgb expected, int tolerance) {
  const QRgb seen = picture.pixel(at);
  const int difference = std::max({std::abs(qRed(seen) - qRed(expected)), std::abs(qGreen(seen) - qGreen(expected)),
                                   std::abs(qBlue(seen) - qBlue(expected))});
  EXPECT_LE(difference, tolerance) << "at " << at.x() << "," << at.y() << ": " << std::hex << seen << " for "
                                   << expected;
}

// The quarters' colours at the middle of each quarter of `area`.
void ExpectQuarters(const QImage& picture, QRect area, int tolerance) {
  const int left = area.x() + area.width() / 4, right = area.x() + 3 * area.width() / 4;
  const int top = area.y() + area.height() / 4, bottom = area.y() + 3 * area.height() / 4;
  ExpectColour(picture, {left, top}, qRgb(255, 0, 0), tolerance);
  ExpectColour(picture, {right, top}, qRgb(0, 255, 0), tolerance);
  ExpectColour(picture, {left, bottom}, qRgb(0, 0, 255), tolerance);
  ExpectColour(picture, {right, bottom}, qRgb(255, 255, 255), tolerance);
}

std::string StoreValue(const char* name) {
  os::Registry store(os::RootKey::CurrentUser);
  if (!store.OpenKeyReadOnly("Control Panel\\desktop") || !store.ValueExists(name)) return "(none)";
  return store.ReadString(name);
}

QByteArray Bytes(const std::string& fileName) {
  QFile file(QString::fromStdString(fileName));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

std::string Gsettings(const char* key) {
  QProcess process;
  process.start("gsettings", {"get", "org.gnome.desktop.background", key});
  process.waitForFinished();
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed().toStdString();
}

// A compiled settings schema in `folder`, for a desktop other than the one installed.
void WriteSchema(const std::string& folder, const std::string& schema) {
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  QFile file(QString::fromStdString(folder + "/test.gschema.xml"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(("<schemalist>" + schema + "</schemalist>").c_str());
  file.close();
  ASSERT_EQ(QProcess::execute("glib-compile-schemas", {QString::fromStdString(folder)}), 0);
}

// Files may grow to `bytes` at most while it lives, as on a full disk; writes past that fail.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) : FSignal(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    const rlimit limit{bytes, FOld.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FSignal);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit FOld{};
  void (*FSignal)(int);
};

// A settings store, a data folder and a desktop configuration of the test's own, and no desktop
// environment unless a test names one. The root window gets the server's own background back.
class WallpaperTest : public ::testing::Test {
 protected:
  WallpaperTest()
      : FStore("QUORLITH_CONFIG_DIR", Path("store").c_str()),
        FData("XDG_DATA_HOME", Path("data").c_str()),
        FConfig("XDG_CONFIG_HOME", Path("config").c_str()),
        FBackend("GSETTINGS_BACKEND", "keyfile"),
        FDesktop("XDG_CURRENT_DESKTOP", nullptr) {
    Application();
  }

  void TearDown() override {
    TWallpaperPro none;
    none.Apply();
  }

  std::string Path(const char* name) const { return FTemporary.path().toStdString() + "/" + name; }
  std::string DataFolder() const { return Path("data") + "/quorlith3d/"; }
  QStringList DataFiles() const { return QDir(QString::fromStdString(DataFolder())).entryList(QDir::Files); }

  std::string WritePicture(const QImage& picture, const char* name, const char* format) {
    const std::string fileName = Path(name);
    EXPECT_TRUE(picture.save(QString::fromStdString(fileName), format, 95));
    return fileName;
  }

  QTemporaryDir FTemporary;
  ScopedEnvironment FStore, FData, FConfig, FBackend, FDesktop;
};

TEST_F(WallpaperTest, WallpaperSwitchWithoutDesktopEnvironmentShowsTheScreenSizedPictureOnTheRoot) {
  const std::string source = WritePicture(Quarters({64, 48}), "picture.JPEG", "JPG");
  InstallProductWallpaper(source);

  const std::string bitmap = DataFolder() + "picture.bmp";
  EXPECT_EQ(DataFiles(), QStringList{"picture.bmp"});
  EXPECT_EQ(QImage(QString::fromStdString(bitmap)).size(), ScreenSize());
  const QImage root = RootPicture();
  ExpectQuarters(root, root.rect(), 24);
  const auto pixmap = RootProperty("_XROOTPMAP_ID");
  ASSERT_TRUE(pixmap);
  EXPECT_EQ(RootProperty("ESETROOT_PMAP_ID"), pixmap);
  EXPECT_EQ(PixmapSize(*pixmap), ScreenSize());
  EXPECT_EQ(StoreValue("TileWallPaper"), "0");
  EXPECT_EQ(StoreValue("WallPaperStyle"), "0");
  EXPECT_EQ(StoreValue("WallPaper"), bitmap);
}

TEST_F(WallpaperTest, BitmapIsCopiedUnchangedCentredAndReplacesTheEarlierPixmap) {
  const std::string source = WritePicture(Quarters({200, 100}), "small.bmp", "BMP");
  TWallpaperPro wallpaper;
  wallpaper.PrepareFile(source, source, false);
  EXPECT_EQ(wallpaper.FileName, DataFolder() + "small.bmp");
  EXPECT_EQ(Bytes(wallpaper.FileName), Bytes(source));

  wallpaper.DrawStyle = dsCentered;
  wallpaper.Apply();
  const auto first = RootProperty("_XROOTPMAP_ID");
  wallpaper.Apply();
  const auto second = RootProperty("_XROOTPMAP_ID");
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_FALSE(PixmapSize(*first)) << "the earlier pixmap is freed";

  const QImage root = RootPicture();
  const QRect centre(QPoint(ScreenSize().width() - 200, ScreenSize().height() - 100) / 2, QSize(200, 100));
  ExpectQuarters(root, centre, 0);
  ExpectColour(root, centre.topLeft() - QPoint(1, 1), qRgb(0, 0, 0), 0);
  ExpectColour(root, centre.bottomRight() + QPoint(1, 1), qRgb(0, 0, 0), 0);

  wallpaper.FileName.clear();
  wallpaper.Apply();
  EXPECT_FALSE(RootProperty("_XROOTPMAP_ID"));
  EXPECT_FALSE(RootProperty("ESETROOT_PMAP_ID"));
  EXPECT_FALSE(PixmapSize(*second)) << "no picture: the pixmap is freed too";
  EXPECT_EQ(StoreValue("WallPaper"), "");
}

TEST_F(WallpaperTest, DesktopEnvironmentGetsTheWallpaperInItsOwnSettingAndTheStoreNone) {
  ScopedEnvironment gnome("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
  InstallProductWallpaper(WritePicture(Quarters({64, 48}), "picture.jpg", "JPG"));

  const std::string uri = "'file://" + DataFolder() + "picture.bmp'";
  EXPECT_EQ(Gsettings("picture-uri"), uri);
  EXPECT_EQ(Gsettings("picture-uri-dark"), uri);
  EXPECT_EQ(Gsettings("picture-options"), "'centered'");
  EXPECT_FALSE(QFile::exists(os::Registry(os::RootKey::CurrentUser).FileName()));
  EXPECT_FALSE(RootProperty("_XROOTPMAP_ID"));

  // MATE's schema is not installed here: its tool refuses, and nothing changes anywhere.
  TWallpaperPro tiled;
  tiled.FileName = Path("other.bmp");
  tiled.DrawStyle = dsTiled;
  {
    ScopedEnvironment mate("XDG_CURRENT_DESKTOP", "MATE");
    const std::string message = MessageOf([&] { tiled.Apply(); });
    EXPECT_EQ(message.rfind("Cannot set the desktop wallpaper: gsettings: No such schema", 0), 0u) << message;
  }
  EXPECT_EQ(Gsettings("picture-uri"), uri);
  EXPECT_EQ(Gsettings("picture-options"), "'centered'");
  EXPECT_FALSE(QFile::exists(os::Registry(os::RootKey::CurrentUser).FileName()));

  // A GNOME without the tiled style (and without the dark picture): the picture is written first and
  // put back when the style is refused.
  WriteSchema(Path("schemas"),
              "<enum id='test.Options'><value nick='centered' value='1'/></enum>"
              "<schema id='org.gnome.desktop.background' path='/org/gnome/desktop/background/'>"
              "<key name='picture-uri' type='s'><default>''</default></key>"
              "<key name='picture-options' enum='test.Options'><default>'centered'</default></key></schema>");
  ScopedEnvironment schemas("GSETTINGS_SCHEMA_DIR", Path("schemas").c_str());
  EXPECT_EQ(MessageOf([&] { tiled.Apply(); }),
            "Cannot set the desktop wallpaper: gsettings: The provided value is outside of the valid range");
  EXPECT_EQ(Gsettings("picture-uri"), uri);
  EXPECT_EQ(Gsettings("picture-options"), "'centered'");
}

TEST_F(WallpaperTest, BadPicturesRaiseAndLeaveTheInstalledBitmapAsItWas) {
  TWallpaperPro wallpaper;
  const std::string png = Path("picture.png");
  ExpectRaises([&] { wallpaper.PrepareFile(png, png, true); }, "File: " + png + " is not bmp or jpg file");
  const std::string jpeg = WritePicture(Quarters({64, 48}), "picture.jpg", "JPG");
  ExpectRaises([&] { wallpaper.PrepareFile(jpeg, png, false); }, "File: " + png + " is not bmp or jpg file");
  EXPECT_TRUE(DataFiles().isEmpty());

  wallpaper.PrepareFile(jpeg, jpeg, false);
  const QByteArray installed = Bytes(wallpaper.FileName);
  QFile damaged(QString::fromStdString(jpeg));
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("not a picture");
  damaged.close();
  EXPECT_EQ(MessageOf([&] { wallpaper.PrepareFile(jpeg, jpeg, true); }),
            "Cannot read the picture " + jpeg + ": Not a JPEG file: starts with 0x6e 0x6f");
  EXPECT_EQ(DataFiles(), QStringList{"picture.bmp"});
  EXPECT_EQ(Bytes(DataFolder() + "picture.bmp"), installed);
  // A progressive picture whose header, a few bytes, claims 46080 x 64265 pixels: refused before its
  // decoder allocates room for them all.
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
  damaged.write(QByteArray::fromBase64(
      "/9j/4AAQSkZJKkYAAQEAAAEAAQAA/9sAQwADAgICAgIDAgICAwMDAwQGBAQEBAQIBgYFBgkICgoJCAkJCgwPDAoPDgsJCQ0RDQ4PEBAREAoM"
      "EhMSEBMPEBAW/8IACwj7CbQAAQERAP/EABUAAQEAAAAAAAAAAAAAAAAAAAAG/////////9oACAEBAAA/Pnwf/9k="));
  damaged.close();
  EXPECT_EQ(MessageOf([&] { wallpaper.PrepareFile(jpeg, jpeg, true); }),
            "Cannot read the picture " + jpeg + ": the picture is too large (46080x64265)");
  EXPECT_EQ(Bytes(DataFolder() + "picture.bmp"), installed);

  // The disk fills while the screen-sized bitmap is written.
  const std::string good = WritePicture(Quarters({64, 48}), "picture.jpg", "JPG");
  {
    ScopedFileSizeLimit full(std::size_t(installed.size()) * 2);
    EXPECT_EQ(MessageOf([&] { wallpaper.PrepareFile(good, good, true); }),
              "Cannot write file " + DataFolder() + "picture.bmp: File too large");
  }
  EXPECT_EQ(DataFiles(), QStringList{"picture.bmp"});
  EXPECT_EQ(Bytes(DataFolder() + "picture.bmp"), installed);
  ExpectRaises([&] { wallpaper.PrepareFile(Path("missing.bmp"), jpeg, false); },
               "Cannot open file " + Path("missing.bmp"));
}

}  // namespace
