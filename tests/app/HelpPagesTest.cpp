// The help pages as built into the program: every page is in the contents,
// every link and image leads somewhere, every page names itself.
#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QSet>

#include "app/HelpContents.h"

namespace leaf::help {
namespace {

// The topics the program's dialogs and commands ask for.
const char* const kProgramTopics[] = {
    "Contents.html",         "GeneralOptions.html", "DjvuOptions.html",      "AdvDjvuOptions.html",
    "IW44Options.html",      "JpegOptions.html",    "ThumbnailOptions.html", "BatchOptions.html",
    "SweepOptions.html",     "Resize.html",         "Scanning.html",         "TextLabels.html",
    "FileAssociations.html",
};

QStringList Captures(const QString& text, const QString& pattern) {
  QStringList found;
  auto matches = QRegularExpression(pattern).globalMatch(text);
  while (matches.hasNext()) found << matches.next().captured(1);
  return found;
}

TEST(HelpPagesTest, ProgramTopicsExist) {
  for (const char* topic : kProgramTopics) EXPECT_TRUE(IsTopic(topic)) << topic;
}

TEST(HelpPagesTest, ContentsListEveryPageOnce) {
  QStringList listed;
  for (const ContentsEntry& entry : TableOfContents()) {
    EXPECT_FALSE(listed.contains(entry.page)) << entry.page.toStdString() << " twice";
    listed << entry.page;
  }
  listed.sort();
  EXPECT_EQ(listed, Pages());
  EXPECT_EQ(TableOfContents().front().page, kContentsTopic);
}

TEST(HelpPagesTest, ContentsDepthGrowsOneLevelAtATime) {
  int previous = -1;
  for (const ContentsEntry& entry : TableOfContents()) {
    EXPECT_LE(entry.depth, previous + 1) << entry.page.toStdString();
    EXPECT_GE(entry.depth, entry.page == kContentsTopic ? 0 : 1) << entry.page.toStdString();
    previous = entry.depth;
  }
}

TEST(HelpPagesTest, EveryPageHasATitleKeywordsAndAHeading) {
  QSet<QString> titles;
  for (const QString& page : Pages()) {
    SCOPED_TRACE(page.toStdString());
    const QString title = PageTitle(page);
    EXPECT_FALSE(title.isEmpty());
    EXPECT_FALSE(titles.contains(title)) << "two pages titled " << title.toStdString();
    titles.insert(title);
    EXPECT_FALSE(PageKeywords(page).isEmpty());
    EXPECT_TRUE(PageSource(page).contains("<h1>")) << "no heading";
    EXPECT_TRUE(PageSource(page).contains("href=\"help.css\""));
  }
}

// Every href and src of every page names a page (and anchor) or a file that
// is among the help resources; outside links go to the web only.
TEST(HelpPagesTest, EveryLinkResolves) {
  int links = 0;
  for (const QString& page : Pages()) {
    const QString source = PageSource(page);
    for (const QString& href : Captures(source, "\\bhref=\"([^\"]*)\"")) {
      SCOPED_TRACE((page + " -> " + href).toStdString());
      ++links;
      if (href.startsWith("https://") || href.startsWith("http://")) continue;
      if (href.endsWith(".css")) {
        EXPECT_TRUE(QFile::exists(":/help/" + href));
      } else if (href.startsWith('#')) {
        EXPECT_TRUE(IsTopic(page + href));
      } else {
        EXPECT_TRUE(IsTopic(href));
      }
    }
    for (const QString& src : Captures(source, "\\bsrc=\"([^\"]*)\"")) {
      EXPECT_TRUE(QFile::exists(":/help/" + src))
          << page.toStdString() << " -> " << src.toStdString();
    }
  }
  EXPECT_GT(links, 100);
}

// Each page is reachable from the contents page by following links, so the
// help can be read without the contents pane too.
TEST(HelpPagesTest, EveryPageIsReachableFromTheContentsPage) {
  QStringList reached{kContentsTopic};
  for (qsizetype i = 0; i < reached.size(); ++i) {
    for (const QString& href : Captures(PageSource(reached[i]), "\\bhref=\"([^\"#]+\\.html)")) {
      if (!reached.contains(href)) reached << href;
    }
  }
  reached.sort();
  EXPECT_EQ(reached, Pages());
}

TEST(HelpPagesTest, TopicsAreNamesOfPagesAndTheirAnchors) {
  struct Case {
    const char* topic;
    bool valid;
  };
  const Case cases[] = {
      {"DjvuOptions.html", true},
      {"DjvuOptions.html#quickset", true},
      {"DjvuOptions.html#nosuch", false},
      {"Nope.html", false},
      {"", false},
      {"help.css", false},
      {"../help/Contents.html", false},
      {":/help/Contents.html", false},
      {"qrc:/help/Contents.html", false},
      {"contents.html", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsTopic(c.topic), c.valid) << c.topic;
}

TEST(HelpPagesTest, MissingTopicMessageNamesTheTopicAndTheWayToTheContents) {
  const QString message = MissingTopicMessage("Nope.html");
  EXPECT_TRUE(message.startsWith("Failed to load the help page \"Nope.html\"!"));
  EXPECT_TRUE(message.contains("Help Topics"));
  EXPECT_FALSE(message.contains("Explorer"));
}

}  // namespace
}  // namespace leaf::help
