#include "app/app_win.h"

#include <memory>

namespace perchlet {

static std::unique_ptr<App>& appSlot() {
    static std::unique_ptr<App> app = std::make_unique<App>();
    return app;
}

App& theApp() { return *appSlot(); }

void resetApp() { appSlot() = std::make_unique<App>(); }

}  // namespace perchlet
