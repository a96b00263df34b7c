// The folder of broken documents, each named for its defect (and each a crash a fuzzer once
// found): every one must end as the model of the conversion says.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/model_check.h"

namespace varnholt::fixtures {
namespace {

#ifdef VARNHOLT_BROKEN_DIR  // a folder of the build machine's file system
TEST(BrokenDocuments, EachEndsAsTheModelSays) {
  size_t documents = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VARNHOLT_BROKEN_DIR)) {
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(ConversionDifference(ReadFileBytes(entry.path().string())), "");
    ++documents;
  }
  EXPECT_GT(documents, 0u);
}
#endif

}  // namespace
}  // namespace varnholt::fixtures
