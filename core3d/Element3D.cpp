#include "core3d/Element3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/FileStream.h"

void TElement3D::Assign(const TElement3D&) {}

void TElement3D::LoadFromStream(rtl::TStream&) {}

void TElement3D::SaveToStream(rtl::TStream&) {}

void TElement3D::LoadFromFile(const std::string& fileName) {
  rtl::TFileStream file(fileName, rtl::TFileMode::fmOpenRead);
  ReadFileHeader(file, ClassName(), kElementFormatError);
  LoadFromStream(file);
}

void TElement3D::SaveToFile(const std::string& fileName) {
  rtl::TFileStream file(fileName, rtl::TFileMode::fmCreate);
  WriteString(file, ClassName());
  SaveToStream(file);
  file.Flush();
}

void TElement3D::Changed() { OnChange(this); }
