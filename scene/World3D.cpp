#include "scene/World3D.h"

#include <cstdio>

#include "core3d/Stream3D.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileStream.h"

TWorld3D::TWorld3D(TSoundDevice* device)
    : FSounds(nullptr, "Sounds"),
      FTextures(nullptr, "Textures"),
      FMaterials(nullptr, "Materials"),
      FMeshes(nullptr, "Meshes"),
      FModels(nullptr, "Models") {
  FSounds.SetDevice(device);
  FMaterials.SetTextures(&FTextures);
  FMeshes.SetMaterials(&FMaterials);
  FModels.SetMeshes(&FMeshes);
  FModels.SetSounds(&FSounds);
  FMap.SetModels(&FModels);
  FMap.Background().SetMeshes(&FMeshes);
}

void TWorld3D::LoadFromStream(rtl::TStream& stream) {
  ReadFileHeader(stream, kHeader, kFormatError);
  FTextures.LoadFromStream(stream);
  FMaterials.LoadFromStream(stream);
  FMeshes.LoadFromStream(stream);
  FSounds.LoadFromStream(stream);
  FModels.LoadFromStream(stream);
  FMap.LoadFromStream(stream);
}

void TWorld3D::SaveToStream(rtl::TStream& stream) {
  WriteString(stream, kHeader);
  FTextures.SaveToStream(stream);
  FMaterials.SaveToStream(stream);
  FMeshes.SaveToStream(stream);
  FSounds.SaveToStream(stream);
  FModels.SaveToStream(stream);
  FMap.SaveToStream(stream);
}

void TWorld3D::LoadFromFile(const std::string& fileName) {
  rtl::TFileStream file(fileName, rtl::TFileMode::fmOpenRead);
  LoadFromStream(file);
}

// A file that cannot be created is reported under the name asked for, not the partial one.
void TWorld3D::SaveToFile(const std::string& fileName) {
  const std::string partial = fileName + ".partial";
  try {
    rtl::TFileStream file(partial, rtl::TFileMode::fmCreate);
    SaveToStream(file);
    file.Flush();
  } catch (const rtl::EFCreateError&) {
    throw rtl::EFCreateError(fileName);
  } catch (...) {
    std::remove(partial.c_str());
    throw;
  }
  if (std::rename(partial.c_str(), fileName.c_str()) != 0) {
    std::remove(partial.c_str());
    throw rtl::EFCreateError(fileName);
  }
}
