#pragma once

#include <vector>

#include "core3d/Element3D.h"

namespace testing_support {

// Listens to an element's OnChange and records every notification with its sender.
struct ChangeCounter {
  std::vector<TElement3D*> Senders;

  void Handle(TElement3D* sender) { Senders.push_back(sender); }
  int Count() const { return static_cast<int>(Senders.size()); }
  void Listen(TElement3D& element) { element.OnChange = TNotifyEvent::Bind<&ChangeCounter::Handle>(this); }
};

}  // namespace testing_support
