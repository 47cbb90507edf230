#pragma once

// A frame of a construction's tree: shapes, sprites, lights, cameras and sound items derive from
// it. The construction that holds the item binds its resource references (Link) and re-attaches
// its platform object when asked (Refresh); a plain item has neither.

#include <string>

#include "scene/Frame3D.h"

class TConstruction3D;

class TItem3D : public TFrame3D {
 public:
  const char* ClassName() const override { return "TItem3D"; }

  void Assign(const TElement3D& source) override;
  // The frame record, then the comment.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // Binds the resource references to the collections the construction's collection is bound to.
  virtual void Link() {}
  // Re-attaches the platform object to the frame.
  virtual void Refresh() {}

  void SetComment(const std::string& comment) { FComment = comment; }
  // Set by the construction that takes the item; never streamed.
  void SetConstruction(TConstruction3D* construction) { FConstruction = construction; }

  const std::string& Comment() const { return FComment; }
  TConstruction3D* Construction() const { return FConstruction; }

 private:
  std::string FComment;
  TConstruction3D* FConstruction = nullptr;
};
