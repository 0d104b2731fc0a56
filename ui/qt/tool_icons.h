#pragma once
// The 16 x 16 pictures of the main window's tool buttons, drawn in code.
#include <QIcon>

#include "ui/commands.h"

namespace phondeck {
QIcon tool_icon(Command command);
}
