#pragma once

namespace rtl {

// Root of the objects that lists, links and checked casts deal in: anything that can be
// attached to a string list entry, pointed at by an untyped link, or freed through a base pointer.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

}  // namespace rtl
