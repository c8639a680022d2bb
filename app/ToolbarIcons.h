// The toolbar's icons, drawn so that the program needs no icon theme.
#pragma once

#include <QIcon>

enum class ToolbarIcon { NewScan, Open, SaveAs, Print, Cut, Copy, Paste, ZoomIn, ZoomOut, Select };

QIcon MakeToolbarIcon(ToolbarIcon icon);
