// Writing multipage DjVu documents from pages encoded one at a time. Pages
// are kept in a spool file as they come, in order, so that memory holds no
// more than the page in hand; the finished document is written bundled (one
// FORM:DJVM file with its DIRM directory) or indirect (an index file naming
// one file per page, which lie beside it).
#pragma once

#include <cstddef>
#include <cstdio>

struct djvu_book;

// Starts a book whose pages are spooled in a new hidden file in folder (the
// output's folder, so that the spool lies on the same disk as the result).
// Null after a reported failure.
djvu_book* djvu_book_create(const char* spool_folder);

// Releases the book and removes its spool file; null is ignored.
void djvu_book_free(djvu_book* book);

// Appends a page: a whole single-page file as djvu_encode writes it
// (FORM:DJVU, with or without the leading "AT&T"), and its name in the
// document ("p0001.djvu"), unique within it. 0, or -1 after a reported
// failure.
int djvu_book_add_page(djvu_book* book, const void* file, size_t length, const char* name);

int djvu_book_page_count(const djvu_book* book);

// Codes the shapes that occur on two or more pages (the same pixels, or with
// lossy set the same glyph) once, in shared dictionaries each page includes:
// one for every run of up to djvu_book_pages_per_dictionary pages, named
// prefix + "0001.djbz" and on. Pages that carry a dictionary of their own are
// left as they are. Call once, after the last page is added. 0, or -1 after a
// reported failure.
int djvu_book_share_shapes(djvu_book* book, const char* prefix, int lossy);
inline constexpr int djvu_book_pages_per_dictionary = 100;

// The shared dictionaries: their number, names, and (for the indirect form)
// each one's own file.
int djvu_book_shared_count(const djvu_book* book);
const char* djvu_book_shared_name(const djvu_book* book, int index);
int djvu_book_write_shared(djvu_book* book, int index, std::FILE* file);

// Writes the bundled document into a file open for writing (and seeking:
// chunk sizes are filled in after their data), from its current position.
// 0, or -1 after a reported failure; the caller flushes and closes the file.
int djvu_book_write_bundled(djvu_book* book, std::FILE* file);

// The indirect form: the index file, and each page's own file.
int djvu_book_write_index(djvu_book* book, std::FILE* file);
int djvu_book_write_page(djvu_book* book, int page, std::FILE* file);
