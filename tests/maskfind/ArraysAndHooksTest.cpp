#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Encoder/libMaskFind/mask_alloc.h"
#include "Encoder/libMaskFind/matrix.h"
#include "MaskTestSupport.h"

namespace maskfind {
namespace {

TEST(StorageTest, GrowsZeroFilledKeepsItsFrontAndReleasesAtZero) {
  storage<int32_t> s(3);
  EXPECT_EQ(s[0] + s[1] + s[2], 0);
  s[2] = 7;
  s.resize(10);
  EXPECT_EQ(s[2], 7);
  EXPECT_EQ(s[9], 0);
  s.grow_to_hold(40);
  EXPECT_GE(s.size(), 41u);
  EXPECT_EQ(s[2], 7);
  s.resize(0);
  EXPECT_EQ(s.data(), nullptr);
}

TEST(StorageTest, AFixedStorageRefusesToChangeSize) {
  test::ErrorCollector errors;
  storage<uint8_t> fixed(8, false);
  EXPECT_THROW(fixed.resize(16), mask_failure);
  EXPECT_TRUE(errors.saw("cannot _djvu_mask_reallocate storage"));
  EXPECT_EQ(fixed.size(), 8u);
}

TEST(MatrixTest, IsRowMajorAndChecksItsIndices) {
  matrix<int32_t> m(2, 3, 4);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 4; ++k) m(i, j, k) = 100 * i + 10 * j + k;
  EXPECT_EQ(m.data()[1 * 12 + 2 * 4 + 3], 123);
  EXPECT_EQ(m.line(1, 1)[2], 112);
#ifdef MASKFIND_CHECKED
  const long before = out_of_range_count();
  testing::internal::CaptureStderr();
  m(2, 0, 0) = 5;  // goes to a scratch element
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out_of_range_count(), before + 1);
  EXPECT_NE(report.find("MATRX_PTR_OFF:"), std::string::npos);
  EXPECT_NE(report.find(" dim 0 2>=2"), std::string::npos);
  EXPECT_EQ(m(1, 2, 3), 123);

  test::ErrorCollector errors;
  matrix<float> unsized;
  EXPECT_THROW(unsized(0), mask_failure);
  EXPECT_TRUE(errors.saw("matrix is have not been sized"));
  EXPECT_THROW(m(0, 0), mask_failure);
  EXPECT_TRUE(errors.saw("arguments have the wrong dimensions"));
#endif
}

TEST(MaskErrorTest, HookThrowSwitchAndDefaultReport) {
  {
    test::ErrorCollector errors;
    EXPECT_THROW(djvu_mask_error("Not a grey image", "Encoder/libMaskFind/x", 12), mask_failure);
    ASSERT_EQ(errors.messages().size(), 1u);
    EXPECT_EQ(errors.messages()[0], "Not a grey image");
  }
  djvu_mask_set_throw(true);
  try {
    djvu_mask_error("out of memory", "f", 42);
    FAIL();
  } catch (int line) {
    EXPECT_EQ(line, 42);
  }
  djvu_mask_set_throw(false);
  testing::internal::CaptureStderr();
  EXPECT_THROW(djvu_mask_error("Memory Exhausted", "Encoder/libMaskFind/y", 7), mask_failure);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DjVu Mask Error: 'Memory Exhausted' at Encoder/libMaskFind/y(7)\r\n");
}

int g_allocations = 0;
int g_failAfter = -1;
void* CountingAllocate(size_t bytes) {
  if (g_failAfter >= 0 && g_allocations >= g_failAfter) return nullptr;
  ++g_allocations;
  return std::malloc(bytes);
}
void* CountingReallocate(void* block, size_t bytes) { return std::realloc(block, bytes); }
void CountingRelease(void* block) { std::free(block); }

TEST(MaskAllocTest, HooksTraceAndFailures) {
  const djvu_mask_alloc_hooks hooks = {CountingAllocate, CountingReallocate, CountingRelease};
  djvu_mask_set_alloc_hooks(&hooks);
  g_allocations = 0;
  g_failAfter = -1;
  char trace[4096] = {};
  std::FILE* stream = fmemopen(trace, sizeof trace - 1, "w");
  djvu_mask_set_trace(stream);
  {
    storage<int32_t> s(4);
    s.resize(8);
  }
  djvu_mask_set_trace(nullptr);
  std::fclose(stream);
  EXPECT_EQ(g_allocations, 1);
  const std::string lines = trace;
  EXPECT_NE(lines.find("\tmalloc\t16\t"), std::string::npos);
  EXPECT_NE(lines.find("\trefree\t32\t"), std::string::npos);
  EXPECT_NE(lines.find("\trealloc\t32\t"), std::string::npos);
  EXPECT_NE(lines.find("\tfree\t0\t"), std::string::npos);

  test::ErrorCollector errors;
  g_failAfter = 0;
  EXPECT_THROW(storage<int32_t>(4), mask_failure);
  ASSERT_EQ(errors.messages().size(), 1u);
  EXPECT_NE(errors.messages()[0].find("cannot _djvu_mask_malloc(16)"), std::string::npos);
  EXPECT_THROW(mask_allocate(10, "f", 1), mask_failure);
  EXPECT_TRUE(errors.saw("Memory Exhausted"));
  djvu_mask_set_alloc_hooks(nullptr);
}

}  // namespace
}  // namespace maskfind
