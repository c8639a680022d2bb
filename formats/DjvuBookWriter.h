// Saving many pages as one DjVu document: each page is read and encoded on
// its own, in parallel on the available cores, and the encoded pages are
// put together in order, bundled in one file or as an indirect document.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "SaveImageFile.h"
#include "image/DibImage.h"

namespace leaf {

// Fills page with page number index (0 = first) of the document to write;
// false with the calling thread's message buffer set. Called on worker
// threads, several at once, each with an image of its own.
using DjvuPageSource = std::function<bool(int index, DibImage& page)>;

struct DjvuBookOptions {
  // False: one bundled file at the path. True: the path names the index file
  // of an indirect document, and each page is a file beside it.
  bool indirect = false;
  // Pages encoded at the same time; 0 takes the number of cores.
  int threads = 0;
  // Called on the calling thread after each page is put in place.
  std::function<void(int pagesDone, int pageCount)> progress;
};

// Writes pageCount pages from source as one DjVu document, each encoded as
// SaveDjvu would with the parameters; shapes found on two or more pages are
// coded once, in a dictionary the pages share. Memory holds the pages being encoded
// and at most twice as many encoded ones waiting for their turn, never the
// whole document. Nothing is written, and no existing file is replaced,
// unless every page succeeds; the failure names the page. A document of one
// page is written as a single-page file unless indirect.
bool SaveDjvuBook(const std::string& path, int pageCount, const DjvuPageSource& source,
                  const DjvuSaveParameters& parameters, const DjvuBookOptions& options = {});

// A DjVu document made a page at a time, when the pages come one by one and
// their number is not known before (a scanner's feeder). Each page is
// encoded as it is added and spooled beside the output, so that memory holds
// only the page in hand; Finish writes the document (a single-page file when
// only one page came). Nothing is written, and no existing file replaced,
// before Finish succeeds.
class DjvuBookBuilder {
 public:
  DjvuBookBuilder(std::string path, DjvuSaveParameters parameters);
  ~DjvuBookBuilder();
  DjvuBookBuilder(const DjvuBookBuilder&) = delete;
  DjvuBookBuilder& operator=(const DjvuBookBuilder&) = delete;

  // Encodes the next page (the image may be changed); false with the
  // calling thread's message buffer set.
  bool Add(DibImage& page);
  // Writes the pages added so far as the document.
  bool Finish();
  int pages() const { return pages_; }

 private:
  struct State;

  std::string path_;
  DjvuSaveParameters parameters_;
  int pages_ = 0;
  std::unique_ptr<State> state_;
};

// The name of a page in a document: "p0001.djvu", or for an indirect
// document's page files the index's name first ("book-p0001.djvu").
std::string DjvuPageName(const std::string& indexPath, int index, int pageCount, bool indirect);

// How the names of a document's shared shape dictionaries begin ("shapes",
// or "book-shapes" beside an indirect document's index); "0001.djbz" and on
// follow.
std::string DjvuSharedShapesPrefix(const std::string& indexPath, bool indirect);

}  // namespace leaf
