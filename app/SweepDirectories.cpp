#include "SweepDirectories.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>

namespace leaf {

namespace {

QString Normalised(const QString& path) {
  const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
  const QString canonical = QFileInfo(absolute).canonicalFilePath();
  return canonical.isEmpty() ? absolute : canonical;
}

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool Inside(const QString& inner, const QString& outer) {
  const QString prefix = outer.endsWith('/') ? outer : outer + '/';
  return inner.startsWith(prefix, Qt::CaseInsensitive);
}

}  // namespace

SweepFolderProblem CheckSweepFolders(const QString& input, const QString& output,
                                     const QString& archive) {
  const QString in = Normalised(input), out = Normalised(output), old = Normalised(archive);
  const QString apart = QObject::tr("The input, output and archive directories must be different!");
  if (Same(in, out)) {
    return {SweepFolder::Output,
            QObject::tr("The input directory is the same as the output directory.\n") + apart};
  }
  if (Same(out, old)) {
    return {SweepFolder::Archive,
            QObject::tr("The output directory is the same as the archive directory!\n") + apart};
  }
  if (Same(old, in)) {
    return {SweepFolder::Archive,
            QObject::tr("The input directory is the same as the archive directory!\n") + apart};
  }
  if (Inside(out, in)) {
    return {SweepFolder::Output,
            QObject::tr("The output directory is inside the input directory!\nThe sweeper would "
                        "convert its own output again.")};
  }
  if (Inside(old, in)) {
    return {SweepFolder::Archive,
            QObject::tr("The archive directory is inside the input directory!\nThe sweeper would "
                        "convert the files it archives again.")};
  }
  return {};
}

}  // namespace leaf
