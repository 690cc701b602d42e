#include "bench/app/OffscreenApplication.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

namespace tovin::bench {

void ensureApplication() {
    static std::unique_ptr<QApplication> application;
    if (QApplication::instance()) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "tovin-bench";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QApplication>(argc, argv);
}

}  // namespace tovin::bench
