#include "app/DataFolder.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.ends_with('/')) folder += '/';
  return folder;
}

}  // namespace

std::string DefaultDataFolder(const std::string& programFolder) {
  if (const char* dir = std::getenv("QUORLITH_DATA_DIR"); dir != nullptr && *dir != '\0') return WithSlash(dir);
  const std::filesystem::path installed = std::filesystem::path(programFolder) / ".." / "share" / "quorlith3d";
  std::error_code error;
  if (std::filesystem::is_directory(installed, error)) return WithSlash(installed.lexically_normal().string());
  return WithSlash(Q3D_BUILD_DATA_DIR);
}
