#pragma once

#include <string>

#include "platform/rtl/Event.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Stream.h"

class TElement3D;

// Change handler: a routine bound to the object that listens, called with the changed element.
using TNotifyEvent = rtl::TEvent<TElement3D*>;

// Root of every object of the 3D world: change notification and the virtual load, save and
// assign that the element stream is built on.
class TElement3D : public rtl::TObject {
 public:
  TElement3D() = default;
  ~TElement3D() override = default;

  // The name written at the head of a file saved by SaveToFile and expected by LoadFromFile.
  virtual const char* ClassName() const { return "TElement3D"; }

  // Subclasses call this first, then copy their own values through their setters.
  virtual void Assign(const TElement3D& source);
  virtual void LoadFromStream(rtl::TStream& stream);
  virtual void SaveToStream(rtl::TStream& stream);

  // The element's record framed by its class name.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  void Changed();

  TNotifyEvent OnChange;
  // Links the subclasses set and read; the base classes only carry them.
  rtl::TObject* Owner = nullptr;
  rtl::TObject* Container = nullptr;
};
