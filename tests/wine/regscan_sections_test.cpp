// The list sections of the registry scan over Wine's real registry, folders and shell
// links: the scan of the test prefix ends, prints every row it finds (for a person to
// judge), and finds a desktop shortcut planted here, through the shell's own link object,
// whose target (a Latin-1 name) has gone.

#include "platform/win32/windows_api.h"  // first: before any other Windows header
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::win32::Wide;

class PrintingSink : public ScanSink {
 public:
  void SetTitle(std::string) override {}
  void ShowKey(std::string) override {}
  void AddRow(ProblemRow row) override {
    std::printf("scan row: %s | %s | %s | %d\n", row.problem.c_str(), row.data.c_str(), row.registry_key.c_str(),
                row.fix_kind);
    rows.push_back(row.registry_key + " = " + row.data);
  }
  void SectionDone() override {}
  void Done() override { done = true; }
  std::vector<std::string> rows;
  bool done = false;
};

TEST(RegistrySectionsOnWineTest, ListSectionsFinishAndFindAShortcutWhoseTargetIsGone) {
  const auto env = conformance::MakeConformanceEnv();
  platform::Platform p = env->platform();
  // Wine keeps a link's path in the ANSI code page, so only Latin-1 survives there.
  const std::string gone = env->ScratchFolder() + "\\Zi\xC3\xABl_d\xC3\xA9j\xC3\xA0.exe";
  const auto desktop = p.shell.SpecialFolder(platform::csidl::kDesktopDirectory);
  ASSERT_TRUE(desktop);
  const std::string lnk = *desktop + "\\Norvik planted.lnk";
  std::ofstream(Wide(gone).c_str()) << "x";  // the shell link wants its target to exist when made
  {
    platform::win32::scoped_com_init com;
    platform::win32::unique_com<IShellLinkW> link;
    platform::win32::unique_com<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             link.put_void())) &&
                SUCCEEDED(link->SetPath(Wide(gone).c_str())) &&
                SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) &&
                SUCCEEDED(file->Save(Wide(lnk).c_str(), TRUE)));
  }
  ASSERT_TRUE(::DeleteFileW(Wide(gone).c_str()));

  PrintingSink sink;
  TScanTaskThread worker(p, sink, ScanSetup{{7, 8, 9, 12, 13, 14, 15, 17, 18, 19, 21}, true, {}, 12});
  worker.Execute();
  ::DeleteFileW(Wide(lnk).c_str());
  std::printf("scan rows: %zu\n", sink.rows.size());
  EXPECT_TRUE(sink.done);
  EXPECT_TRUE(std::ranges::any_of(sink.rows, [&](const std::string& row) {
    return platform::EqualsIgnoreCase(row, lnk + " = " + gone);
  }));
}

}  // namespace
}  // namespace norvik::regscan
