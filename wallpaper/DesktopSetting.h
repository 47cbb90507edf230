#pragma once

// The wallpaper setting of a desktop environment that keeps its own and draws the background itself
// (GNOME, Cinnamon, MATE, XFCE), written through the environment's settings tool: gsettings, or
// xfconf-query for XFCE. Which environment runs is read from XDG_CURRENT_DESKTOP.

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace wallpaper {

class DesktopSetting {
 public:
  enum class Desktop { Gnome, Cinnamon, Mate, Xfce };

  // The running environment that keeps its own wallpaper setting; none for any other.
  static std::optional<DesktopSetting> Running();

  // Shows `file` (an absolute path; empty for no picture) the way `option` says, in GNOME's words:
  // "centered", "stretched", "wallpaper" (tiled), "zoom". Every value is read before the first is
  // written, so a missing tool or schema fails with nothing changed, and a write that fails puts the
  // earlier ones back. Raises rtl::Exception with the tool's own explanation.
  void Set(const std::string& file, const std::string& option) const;

 private:
  // One value as the tool addresses it (schema and key, or channel and property) and what it gets.
  struct Value {
    QStringList address;
    QString text;
  };

  explicit DesktopSetting(Desktop desktop) : FDesktop(desktop) {}

  std::vector<Value> Values(const std::string& file, const std::string& option) const;
  QString Read(const QStringList& address) const;
  void Write(const QStringList& address, const QString& text) const;

  Desktop FDesktop;
};

}  // namespace wallpaper
