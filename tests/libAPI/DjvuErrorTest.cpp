#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ByteStream.h"
#include "libAPI/djvu_error.h"

namespace {

struct Report {
  std::string message, file;
  int line;
};
thread_local std::vector<Report> t_reports;

void Collect(const char* message, const char* file, int line) {
  t_reports.push_back({message, file, line});
}

class DjvuErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t_reports.clear();
    previous_ = djvu_set_error_handler(Collect);
  }
  void TearDown() override { djvu_set_error_handler(previous_); }
  djvu_error_handler previous_ = nullptr;
};

TEST_F(DjvuErrorTest, GuardReportsTheLayersExceptionAndReturnsTheFailureValue) {
  const int result = djvu::Guard(
      -1, []() -> int { djvu::Throw("Failed to allocate memory", "libAPI/PixImage", 42); });
  EXPECT_EQ(result, -1);
  ASSERT_EQ(t_reports.size(), 1u);
  EXPECT_EQ(t_reports[0].message, "Failed to allocate memory");
  EXPECT_EQ(t_reports[0].file, "libAPI/PixImage");
  EXPECT_EQ(t_reports[0].line, 42);
  EXPECT_EQ(djvu::Guard(0, [] { return 7; }), 7);
  EXPECT_EQ(t_reports.size(), 1u);
}

TEST_F(DjvuErrorTest, CodecMessagesArriveAsText) {
  const bool ok = djvu::Guard(false, [] {
    GP<ByteStream> empty = ByteStream::create();
    char byte;
    empty->readall(&byte, 1) == 1 || (G_THROW(ByteStream::EndOfFile), true);
    return true;
  });
  EXPECT_FALSE(ok);
  ASSERT_EQ(t_reports.size(), 1u);
  EXPECT_FALSE(t_reports[0].message.empty());
  EXPECT_EQ(t_reports[0].message.find('\003'), std::string::npos) << t_reports[0].message;
}

TEST_F(DjvuErrorTest, EmptyMessageReportsInvalidException) {
  djvu::Guard(0, []() -> int { throw GException(); });
  ASSERT_EQ(t_reports.size(), 1u);
  EXPECT_EQ(t_reports[0].message, "Invalid exception");
}

TEST_F(DjvuErrorTest, HandlersBelongToTheirThread) {
  djvu_error_handler seenOnWorker = Collect;
  std::thread([&] { seenOnWorker = djvu_set_error_handler(nullptr); }).join();
  EXPECT_EQ(seenOnWorker, nullptr);
  EXPECT_EQ(djvu_set_error_handler(Collect), Collect);
}

TEST(DjvuErrorDefaultTest, WithoutHandlerTheLineGoesToStandardError) {
  testing::internal::CaptureStderr();
  djvu::ReportError("Unknown mask resolution", "libAPI/libdjvu", 12);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DjVu Error: 'Unknown mask resolution' at libAPI/libdjvu(12)\r\n");
}

}  // namespace
