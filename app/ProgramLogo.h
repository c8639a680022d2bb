// The program's logo, drawn at any size (About box, empty view, window icon).
#pragma once

#include <QPixmap>

QPixmap ProgramLogo(int size);
