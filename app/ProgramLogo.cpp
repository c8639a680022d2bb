#include "ProgramLogo.h"

#include <QIcon>

// The program's icon, from the sizes built into the program.
QPixmap ProgramLogo(int size) {
  static const QIcon icon = [] {
    QIcon built;
    for (int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
      built.addFile(QStringLiteral(":/leafsmith/icons/leafsmith-%1.png").arg(s), QSize(s, s));
    }
    return built;
  }();
  return icon.pixmap(size, size);
}
