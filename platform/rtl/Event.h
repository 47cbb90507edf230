#pragma once

namespace rtl {

// A method pointer as the framework has them: a routine plus the object it is bound to.
// Binding, testing, calling and clearing allocate nothing, so handlers can fire every frame.
template <class... Args>
class TEvent {
 public:
  TEvent() = default;

  // TEvent<...>::Bind<&Class::Method>(object)
  template <auto Method, class C>
  static TEvent Bind(C* object) {
    TEvent event;
    event.FObject = object;
    event.FThunk = [](void* self, Args... args) { (static_cast<C*>(self)->*Method)(args...); };
    return event;
  }

  explicit operator bool() const { return FThunk != nullptr; }
  void operator()(Args... args) const {
    if (FThunk != nullptr) FThunk(FObject, args...);
  }
  void Clear() { *this = TEvent(); }
  bool operator==(const TEvent& other) const = default;

 private:
  void* FObject = nullptr;
  void (*FThunk)(void*, Args...) = nullptr;
};

}  // namespace rtl
