// The help pages built into the program: their table of contents, their
// titles and index keywords, and how a topic name becomes a page.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QUrl>
#include <vector>

namespace leaf::help {

// The page every other page can be reached from.
inline constexpr char kContentsTopic[] = "Contents.html";

struct ContentsEntry {
  QString page;  // "DjvuOptions.html"
  int depth;     // 0 for the contents page, 1 for its chapters, ...
};

// The contents pane, in reading order.
const std::vector<ContentsEntry>& TableOfContents();

// Every page file among the resources, sorted by name.
QStringList Pages();

// True when the topic names a page, optionally with an "#anchor" that the
// page holds.
bool IsTopic(const QString& topic);

// qrc:/help/<topic>.
QUrl TopicUrl(const QString& topic);

// The page file of a help URL ("DjvuOptions.html"), or empty for another URL.
QString PageOf(const QUrl& url);

// The page's <title>.
QString PageTitle(const QString& page);

// The words of the page's <meta name="keywords">, for the index.
QStringList PageKeywords(const QString& page);

// The text of the page file; empty when there is no such page.
QString PageSource(const QString& page);

// What the user is told when a topic cannot be shown.
QString MissingTopicMessage(const QString& topic);

}  // namespace leaf::help
