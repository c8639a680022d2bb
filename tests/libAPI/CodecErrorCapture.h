// A test fixture that installs an error handler collecting the coding
// layer's messages for the length of each test, and restores the previous one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libAPI/djvu_error.h"

namespace leaf::test {

// The messages reported on this thread since the current test began.
inline thread_local std::vector<std::string> t_codecMessages;

inline void CollectCodecMessage(const char* message, const char*, int) {
  t_codecMessages.emplace_back(message);
}

class CodecErrorCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    t_codecMessages.clear();
    previous_ = djvu_set_error_handler(CollectCodecMessage);
  }
  void TearDown() override { djvu_set_error_handler(previous_); }

 private:
  djvu_error_handler previous_ = nullptr;
};

}  // namespace leaf::test
