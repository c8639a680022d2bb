#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "libAPI/IOSubByteStream.h"
#include "libAPI/djvu_error.h"

namespace {

using djvu::DjVu_IOSubByteStream;

struct Source {
  std::string data;
  size_t at = 0;
};

size_t ReadSource(void* context, void* buffer, size_t length) {
  auto* source = static_cast<Source*>(context);
  const size_t n = std::min(length, source->data.size() - source->at);
  std::memcpy(buffer, source->data.data() + source->at, n);
  source->at += n;
  return n;
}

size_t WriteAtMostFour(void* context, const void* buffer, size_t length) {
  auto* sink = static_cast<std::string*>(context);
  const size_t n = std::min<size_t>(length, 4);
  sink->append(static_cast<const char*>(buffer), n);
  return n;
}

std::string CauseOf(const std::function<void()>& body) {
  std::string cause;
  try {
    body();
  } catch (const GException& exception) {
    cause = exception.get_cause();
  }
  return cause;
}

TEST(IOSubByteStreamTest, ReadsForwardOnlyAndCountsWhatPassed) {
  Source source{std::string(2000, 'a') + "tail"};
  GP<DjVu_IOSubByteStream> stream = DjVu_IOSubByteStream::create(ReadSource, nullptr, &source);
  char head[4];
  ASSERT_EQ(stream->readall(head, 4), 4u);
  stream->unread(head, 4);
  EXPECT_EQ(stream->tell(), 0);
  ASSERT_EQ(stream->seek(2000, SEEK_SET), 0);  // read and discarded in small pieces
  char tail[8] = {};
  EXPECT_EQ(stream->readall(tail, 8), 4u);
  EXPECT_STREQ(tail, "tail");
  EXPECT_EQ(stream->tell(), 2004);
  EXPECT_EQ(CauseOf([&] { stream->seek(10, SEEK_SET); }),
            "Cannot seek backwards in DjVu_IOSubByteStream::seek()");
  EXPECT_EQ(CauseOf([&] { stream->seek(0, SEEK_END); }),
            "Illegal argument for DjVu_IOSubByteStream::seek()");
  EXPECT_EQ(CauseOf([&] { stream->seek(5, SEEK_CUR); }), "EOF");
  EXPECT_EQ(stream->seek(5, SEEK_CUR, true), -1);
}

TEST(IOSubByteStreamTest, AShortWriteIsAnError) {
  std::string sink;
  GP<DjVu_IOSubByteStream> stream = DjVu_IOSubByteStream::create(nullptr, WriteAtMostFour, &sink);
  EXPECT_EQ(stream->write("abcd", 4), 4u);
  EXPECT_EQ(CauseOf([&] { stream->write("abcdefgh", 8); }),
            "DjVu_IOSubByteStream: unable to write requested data");
  EXPECT_EQ(sink, "abcdabcd");
}

}  // namespace
