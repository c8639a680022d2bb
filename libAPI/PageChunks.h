// The chunks of a page's file and of the files it includes, walked without
// decoding anything: what a page is made of, before the codec sees it.
#pragma once

#include <functional>

#include "DjVuFile.h"
#include "GString.h"

namespace djvu {

// Called with each chunk's identifier and a stream over its data.
using ChunkVisitor = std::function<void(const GUTF8String& id, ByteStream& data)>;

// Which files a walk visits.
enum class IncludedFiles { kVisit, kSkip };

// Visits the chunks of the page's FORM in order; where an INCL chunk names a
// file, the chunks of that file follow (each file once, at most 8 levels
// deep) unless told to skip them. A file that cannot be found or read ends
// its own part of the walk silently: decoding the page reports it.
void WalkPageChunks(const GP<DjVuFile>& page, const ChunkVisitor& visit,
                    IncludedFiles included = IncludedFiles::kVisit);

// The text of an INCL chunk: the identifier of the included file.
GUTF8String IncludedName(ByteStream& data);

}  // namespace djvu
