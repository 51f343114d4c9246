#include "app/window/FontWarmUp.h"

#include <QFontDatabase>

namespace app {

std::jthread readFontList()
{
    return std::jthread([] { QFontDatabase::families(); });
}

} // namespace app
