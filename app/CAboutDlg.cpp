#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ProgramLogo.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About Leafsmith"));
  auto* logo = new QLabel(this);
  logo->setPixmap(ProgramLogo(64));
  auto* text = new QLabel(
      tr("<b>Leafsmith</b> %1<br><br>Views, converts and lightly edits scanned document "
         "images.<br>DjVu coding by DjVuLibre; JPEG by libjpeg-turbo; TIFF by libtiff.<br><br>"
         "GNU General Public License, version 2 or later.")
          .arg(QStringLiteral(LEAFSMITH_VERSION)),
      this);
  text->setTextFormat(Qt::RichText);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(logo, 0, Qt::AlignTop);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}
