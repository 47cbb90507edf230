#include "platform/dd/Presenter.h"

namespace dd {

namespace {
Presenter* gPresenter = nullptr;
}

void SetPresenter(Presenter* presenter) { gPresenter = presenter; }

Presenter* CurrentPresenter() { return gPresenter; }

}  // namespace dd
