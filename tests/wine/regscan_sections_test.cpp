// The list sections of the registry scan over Wine's real registry, folders and shell
// links: the scan of the test prefix ends and prints every row it finds (for a person to
// judge).

#include <gtest/gtest.h>

#include <cstdio>

#include "conformance/conformance_env.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

class PrintingSink : public ScanSink {
 public:
  void SetTitle(std::string) override {}
  void ShowKey(std::string) override {}
  void AddRow(ProblemRow row) override {
    std::printf("scan row: %s | %s | %s | %d\n", row.problem.c_str(), row.data.c_str(), row.registry_key.c_str(),
                row.fix_kind);
    ++rows;
  }
  void SectionDone() override {}
  void Done() override { done = true; }
  std::size_t rows = 0;
  bool done = false;
};

TEST(RegistrySectionsOnWineTest, ListSectionsFinish) {
  const auto env = conformance::MakeConformanceEnv();
  platform::Platform p = env->platform();
  PrintingSink sink;
  TScanTaskThread worker(p, sink, ScanSetup{{7, 8, 9, 12, 13, 14, 15, 17, 18, 19, 21}, true, {}, 12});
  worker.Execute();
  std::printf("scan rows: %zu\n", sink.rows);
  EXPECT_TRUE(sink.done);
}

}  // namespace
}  // namespace norvik::regscan
