#pragma once

#include <memory>
#include <vector>

#include "core3d/Box3D.h"
#include "core3d/Element3D.h"

// A list of boxes with their union. The boxes' changes are not forwarded: whoever owns the list
// recomputes the union (UpdateBounds) on its own schedule.
class TListBox3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TListBox3D"; }

  int BoxCount() const { return static_cast<int>(FBoxes.size()); }
  TBox3D* GetBoxItem(int index) const;
  TBox3D* AddBox();
  void ClearBoxes();
  // The union of the list; an empty list leaves the empty box.
  void UpdateBounds();

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TBox3D Box;

 private:
  std::vector<std::unique_ptr<TBox3D>> FBoxes;
};
