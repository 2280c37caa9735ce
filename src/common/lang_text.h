#pragma once

#include <QString>

#include <functional>

namespace shutterhand {

// A caption by its number from the current language table. Dialogs get one from the main window.
using LangText = std::function<QString(int)>;

}  // namespace shutterhand
