#pragma once

#include <QIcon>

#include "app/CommandTable.h"

class QStyle;

namespace toolbaricons {

// The picture of a tool bar button: the desktop icon theme's, else Qt's
// standard pixmap, else one drawn here (cut, copy, paste and print have no
// standard pixmap). Null for a command without a button.
QIcon ForCommand(CommandId command, const QStyle& style);
// Same, never asking the icon theme: what shows on a desktop without one.
QIcon Fallback(CommandId command, const QStyle& style);

}  // namespace toolbaricons
