#pragma once

#include <cstdint>
#include <utility>

namespace rtl {

// Reference counting for the platform objects, whose callers hold and release them the way the
// original interfaces were held: AddRef and Release, freed when the count reaches 0.
class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  std::uint32_t AddRef() { return ++FRefCount; }
  // Returns the count left; the object is gone when it is 0.
  std::uint32_t Release() {
    const std::uint32_t left = --FRefCount;
    if (left == 0) delete this;
    return left;
  }
  std::uint32_t RefCount() const { return FRefCount; }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::uint32_t FRefCount = 1;
};

// An intrusive smart pointer holding one reference.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference the caller already holds (a fresh object's first one).
  static Ref Adopt(T* object) {
    Ref ref;
    ref.FObject = object;
    return ref;
  }
  // Adds a reference of its own.
  explicit Ref(T* object) : FObject(object) {
    if (FObject != nullptr) FObject->AddRef();
  }
  Ref(const Ref& other) : Ref(other.FObject) {}
  Ref(Ref&& other) noexcept : FObject(std::exchange(other.FObject, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& other) : Ref(other.Get()) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(FObject, other.FObject);
    return *this;
  }
  ~Ref() { Reset(); }

  void Reset() {
    if (FObject != nullptr) std::exchange(FObject, nullptr)->Release();
  }
  T* Get() const { return FObject; }
  T* operator->() const { return FObject; }
  T& operator*() const { return *FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  bool operator==(const Ref& other) const = default;

 private:
  T* FObject = nullptr;
};

template <class T, class... Args>
Ref<T> MakeRef(Args&&... args) {
  return Ref<T>::Adopt(new T(std::forward<Args>(args)...));
}

}  // namespace rtl
