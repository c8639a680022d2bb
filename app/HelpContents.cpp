#include "HelpContents.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>

namespace leaf::help {

namespace {

constexpr char kResourceDir[] = ":/help";

QString Unescaped(QString text) {
  text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
  return text.simplified();
}

// "Page.html" or "Page.html#anchor" and nothing else: no folders, no schemes.
const QRegularExpression& TopicPattern() {
  static const QRegularExpression pattern("^([A-Za-z0-9_-]+\\.html)(?:#([A-Za-z0-9_-]+))?$");
  return pattern;
}

bool HasAnchor(const QString& page, const QString& anchor) {
  const QRegularExpression target(
      QString("\\b(?:id|name)=\"%1\"").arg(QRegularExpression::escape(anchor)));
  return PageSource(page).contains(target);
}

}  // namespace

const std::vector<ContentsEntry>& TableOfContents() {
  static const std::vector<ContentsEntry> entries = {
      {kContentsTopic, 0},        {"Opening.html", 1},          {"Viewing.html", 1},
      {"Saving.html", 1},         {"AboutDjvu.html", 2},        {"Editing.html", 1},
      {"Resize.html", 2},         {"TextLabels.html", 2},       {"Printing.html", 1},
      {"Scanning.html", 1},       {"MultipleFiles.html", 1},    {"BatchOptions.html", 2},
      {"SweepOptions.html", 2},   {"ThumbnailOptions.html", 2}, {"Settings.html", 1},
      {"GeneralOptions.html", 2}, {"DjvuOptions.html", 2},      {"AdvDjvuOptions.html", 3},
      {"IW44Options.html", 2},    {"JpegOptions.html", 2},      {"FileAssociations.html", 1},
      {"CommandLine.html", 1},    {"Shortcuts.html", 1},
  };
  return entries;
}

QStringList Pages() { return QDir(kResourceDir).entryList({"*.html"}, QDir::Files, QDir::Name); }

bool IsTopic(const QString& topic) {
  const QRegularExpressionMatch match = TopicPattern().match(topic);
  if (!match.hasMatch() || !QFile::exists(QString("%1/%2").arg(kResourceDir, match.captured(1)))) {
    return false;
  }
  return match.captured(2).isEmpty() || HasAnchor(match.captured(1), match.captured(2));
}

QUrl TopicUrl(const QString& topic) { return QUrl(QString("qrc%1/%2").arg(kResourceDir, topic)); }

QString PageOf(const QUrl& url) {
  if (url.scheme() != "qrc" || !url.path().startsWith("/help/")) return {};
  return url.path().mid(6);
}

QString PageSource(const QString& page) {
  QFile file(QString("%1/%2").arg(kResourceDir, page));
  if (page.contains('/') || !file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString PageTitle(const QString& page) {
  static const QRegularExpression title("<title>(.*?)</title>",
                                        QRegularExpression::DotMatchesEverythingOption);
  return Unescaped(title.match(PageSource(page)).captured(1));
}

QStringList PageKeywords(const QString& page) {
  static const QRegularExpression keywords("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\"");
  QStringList words;
  const QString text = keywords.match(PageSource(page)).captured(1);
  for (const QString& word : text.split(',', Qt::SkipEmptyParts)) {
    const QString clean = Unescaped(word);
    if (!clean.isEmpty()) words << clean;
  }
  return words;
}

QString MissingTopicMessage(const QString& topic) {
  return QString(
             "Failed to load the help page \"%1\"!\n\n"
             "The help pages are built into Leafsmith, and this page is not among them.\n"
             "All help can also be reached from its contents: Help > Help Topics (F1).")
      .arg(topic);
}

}  // namespace leaf::help
