#include "wallpaper/DesktopSetting.h"

#include <QProcess>
#include <QUrl>
#include <cstdlib>
#include <utility>

#include "platform/rtl/Exceptions.h"

namespace wallpaper {

namespace {

// How long a settings tool may take; they answer in milliseconds unless the desktop's bus hangs.
constexpr int kToolTimeoutMs = 10000;

const QString kGsettings = QStringLiteral("gsettings");
const QString kXfconf = QStringLiteral("xfconf-query");
const QStringList kXfceChannel = {QStringLiteral("-c"), QStringLiteral("xfce4-desktop")};

[[noreturn]] void Fail(const QString& why) {
  throw rtl::Exception(("Cannot set the desktop wallpaper: " + why).toStdString());
}

// The tool's standard output; what it said on failure becomes the message.
QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForStarted(kToolTimeoutMs)) Fail(program + " cannot be started: " + process.errorString());
  if (!process.waitForFinished(kToolTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    Fail(program + " did not answer");
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    const QString said = QString::fromUtf8(process.readAllStandardError()).trimmed();
    Fail(program + ": " + (said.isEmpty() ? "failed with status " + QString::number(process.exitCode()) : said));
  }
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A string as gsettings reads a value, so that any path is taken literally.
QString VariantText(QString text) {
  text.replace('\\', "\\\\").replace('\'', "\\'");
  return '\'' + text + '\'';
}

// XFCE numbers its image styles; the names are GNOME's.
QString XfceStyle(const std::string& option) {
  static const std::pair<const char*, int> kStyles[] = {
      {"centered", 1}, {"wallpaper", 2}, {"stretched", 3}, {"scaled", 4}, {"zoom", 5}};
  for (const auto& [name, number] : kStyles)
    if (option == name) return QString::number(number);
  return QStringLiteral("0");
}

QString FileUri(const std::string& file) {
  return file.empty() ? QString() : QString::fromUtf8(QUrl::fromLocalFile(QString::fromStdString(file)).toEncoded());
}

}  // namespace

std::optional<DesktopSetting> DesktopSetting::Running() {
  const char* current = std::getenv("XDG_CURRENT_DESKTOP");
  if (current == nullptr) return std::nullopt;
  // A list such as "ubuntu:GNOME": the first entry this code knows decides.
  for (const QString& name : QString::fromUtf8(current).split(':')) {
    const QString upper = name.toUpper();
    if (upper == "GNOME") return DesktopSetting(Desktop::Gnome);
    if (upper == "CINNAMON" || upper == "X-CINNAMON") return DesktopSetting(Desktop::Cinnamon);
    if (upper == "MATE") return DesktopSetting(Desktop::Mate);
    if (upper == "XFCE") return DesktopSetting(Desktop::Xfce);
  }
  return std::nullopt;
}

void DesktopSetting::Set(const std::string& file, const std::string& option) const {
  const std::vector<Value> values = Values(file, option);
  std::vector<QString> earlier;
  for (const Value& value : values) earlier.push_back(Read(value.address));
  for (std::size_t i = 0; i < values.size(); ++i) {
    try {
      Write(values[i].address, values[i].text);
    } catch (const rtl::Exception&) {
      // The first failure is the one to report; the rest only try to put the wallpaper back.
      for (std::size_t j = 0; j < i; ++j) {
        try {
          Write(values[j].address, earlier[j]);
        } catch (const rtl::Exception&) {
        }
      }
      throw;
    }
  }
}

std::vector<DesktopSetting::Value> DesktopSetting::Values(const std::string& file, const std::string& option) const {
  const QString style = VariantText(QString::fromStdString(option));
  switch (FDesktop) {
    case Desktop::Gnome: {
      const QString schema = QStringLiteral("org.gnome.desktop.background");
      const QString uri = VariantText(FileUri(file));
      std::vector<Value> values = {{{schema, "picture-uri"}, uri}, {{schema, "picture-options"}, style}};
      // The dark style's own picture came with GNOME 42; earlier versions lack the key.
      if (Run(kGsettings, {"list-keys", schema}).split('\n').contains("picture-uri-dark"))
        values.push_back({{schema, "picture-uri-dark"}, uri});
      return values;
    }
    case Desktop::Cinnamon: {
      const QString schema = QStringLiteral("org.cinnamon.desktop.background");
      return {{{schema, "picture-uri"}, VariantText(FileUri(file))}, {{schema, "picture-options"}, style}};
    }
    case Desktop::Mate: {
      const QString schema = QStringLiteral("org.mate.background");
      return {{{schema, "picture-filename"}, VariantText(QString::fromStdString(file))},
              {{schema, "picture-options"}, style}};
    }
    case Desktop::Xfce:
      break;
  }
  // XFCE keeps one backdrop per monitor and workspace, created by its desktop as it draws them.
  std::vector<Value> values;
  for (const QString& property : Run(kXfconf, kXfceChannel + QStringList{"-l"}).split('\n')) {
    if (!property.endsWith("/last-image")) continue;
    const QString backdrop = property.chopped(QStringLiteral("last-image").size());
    values.push_back({kXfceChannel + QStringList{"-p", property}, QString::fromStdString(file)});
    values.push_back({kXfceChannel + QStringList{"-p", backdrop + "image-style"}, XfceStyle(option)});
  }
  if (values.empty()) Fail("the XFCE desktop has no backdrop to set");
  return values;
}

QString DesktopSetting::Read(const QStringList& address) const {
  return FDesktop == Desktop::Xfce ? Run(kXfconf, address) : Run(kGsettings, QStringList{"get"} + address);
}

void DesktopSetting::Write(const QStringList& address, const QString& text) const {
  if (FDesktop == Desktop::Xfce) {
    Run(kXfconf, address + QStringList{"-s", text});
  } else {
    Run(kGsettings, QStringList{"set"} + address + QStringList{text});
  }
}

}  // namespace wallpaper
