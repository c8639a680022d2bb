// The program's logo at any size (About box, empty view, window icon).
#pragma once

#include <QPixmap>

QPixmap ProgramLogo(int size);
