#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core3d/Element3D.h"

// An element made of registered sub-elements: it forwards their changes upward, brackets bursts
// of changes so that observers hear once, and assigns, loads and saves the sub-elements in
// registration order.
//
// The sub-elements are members of the concrete structure, declared in registration order, so
// they are destroyed from the last to the first; the list only indexes them.
class TStructure3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TStructure3D"; }

  int AddElement(TElement3D* element);
  template <class... Elements>
  void AddElements(Elements*... elements) {
    (AddElement(elements), ...);
  }

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  std::span<TElement3D* const> Elements() const;
  bool Modified() const { return FModified; }
  std::int32_t UpdateCount() const { return FUpdateCount; }

 protected:
  // Forwards a sub-element's change unless a bracket is open; the change counts as a modification.
  void ElementChanged(TElement3D* sender);

 private:
  bool FModified = false;
  // Structures register a handful of members: the first few are indexed without allocating, so
  // building the many small values of a world costs no extra trip to the heap.
  static constexpr std::size_t kInlineElements = 4;
  std::array<TElement3D*, kInlineElements> FInlineElements{};
  std::vector<TElement3D*> FMoreElements;  // all of them, once there are more than fit inline
  std::size_t FElementCount = 0;
  std::int32_t FUpdateCount = 0;
};

// Opens an update bracket for a scope and closes it on every path out of it. The closing
// notification also runs when the scope is left by an error; a second error raised by a handler
// then is dropped, so the first one (the one that explains the failure) reaches the caller.
class TUpdateBracket {
 public:
  explicit TUpdateBracket(TStructure3D& structure);
  ~TUpdateBracket() noexcept(false);
  TUpdateBracket(const TUpdateBracket&) = delete;
  TUpdateBracket& operator=(const TUpdateBracket&) = delete;

 private:
  TStructure3D& FStructure;
  int FErrorsInFlight;
};
