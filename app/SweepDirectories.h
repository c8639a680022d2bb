// The sweeper's three folders must be apart: the input is watched with its
// subfolders, so output or archive inside it would be swept again.
#pragma once

#include <QString>

namespace leaf {

enum class SweepFolder { Input, Output, Archive };

struct SweepFolderProblem {
  SweepFolder folder = SweepFolder::Input;  // the field to correct
  QString message;                          // empty: the folders are fine
};

// The first problem, in the order: input = output, output = archive,
// archive = input, output inside input, archive inside input. Folders are
// compared as absolute, cleaned paths (through symbolic links when they
// exist) and without regard to letter case.
SweepFolderProblem CheckSweepFolders(const QString& input, const QString& output,
                                     const QString& archive);

}  // namespace leaf
