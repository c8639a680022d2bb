// The file types Leafsmith opens, grouped as the user turns them on and off,
// and making Leafsmith the default viewer of a group for the current user
// through the XDG desktop standards: a desktop entry, the IW44 MIME type and
// the icons under $XDG_DATA_HOME, and the default application set with
// xdg-mime. Nothing here needs more than QtCore.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <vector>

namespace leaf {

enum class FileGroup { DjVu, Iw44, Jpeg, Tiff, Bmp, Pnm };

struct FileTypeGroup {
  FileGroup group;
  QString name;            // "DjVu", as the user knows the type
  QStringList extensions;  // ".djvu", ".djv"
  QString className;       // "Leaf.DJVU"
  QString description;     // "Leaf DjVu Image"
  QStringList mimeTypes;   // the MIME types that files with these extensions have
};

// Every group, in the order DjVu, IW44, JPEG, TIFF, BMP, PNM.
const std::vector<FileTypeGroup>& FileTypeGroups();
const FileTypeGroup& FileTypeGroupOf(FileGroup group);

// The desktop entry's file name, which is also its desktop file ID.
inline constexpr char kDesktopFileName[] = "leafsmith.desktop";

struct AssociationResult {
  bool ok = true;
  // On failure: what could not be done ("Leafsmith could not be made the
  // default viewer of DjVu files (.djvu .djv)."), the step that failed and
  // why ("Icon: cannot write ...: Permission denied."), and both together.
  QString summary;
  QString detail;
  QString message;
};

// True when `xdg-mime query default` names leafsmith.desktop for every MIME
// type of the group. A query that cannot run counts as not registered; its
// reason goes to *error when given.
bool IsGroupRegistered(FileGroup group, QString* error = nullptr);

// Installs the desktop entry (opening files with programPath, by default the
// running program), the MIME type and the icons for the current user and makes
// Leafsmith the default application of the group's MIME types.
AssociationResult RegisterGroup(FileGroup group, const QString& programPath = QString());

// The same for every group at once.
AssociationResult RegisterAsDefaultViewer(const QString& programPath = QString());

// Takes Leafsmith out of the user's default applications for the group's MIME
// types and out of the MIME types its desktop entry claims. Whatever opened
// these files before is not restored: the desktop falls back to its own choice.
AssociationResult UnregisterGroup(FileGroup group);

// The pieces of the above, exposed for the tests.
namespace desktop_entry {

// The installed desktop entry rewritten for the user's copy: it starts
// programPath and claims mimeTypes (none: no MimeType key).
QString UserEntryText(const QString& programPath, const QStringList& mimeTypes);

// The MIME types a desktop entry's MimeType key lists.
QStringList ClaimedMimeTypes(const QString& entryText);

// A mimeapps.list with desktopId taken out of the [Default Applications]
// values of the given types; lines left empty go, everything else stays.
QString WithoutDefaults(const QString& listText, const QStringList& mimeTypes,
                        const QString& desktopId);

}  // namespace desktop_entry

}  // namespace leaf
