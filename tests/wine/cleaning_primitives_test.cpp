// What only the real file system shows the deletion primitives: hard links and folder
// links, in a scratch folder on C: that the conformance environment removes afterwards.

#include "platform/win32/windows_api.h"  // first: before any other Windows header

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cleaning/deletion_primitives.h"
#include "conformance/conformance_env.h"
#include "fakes/run_reporter.h"
#include "platform/win32/wide_text.h"

namespace norvik::cleaning {
namespace {

using platform::win32::Wide;

class WinePrimitivesTest : public ::testing::Test {
 protected:
  std::string In(const std::string& name) const { return dir_ + "\\" + name; }
  void Make(const std::string& name, const std::string& contents) {
    const std::string path = In(name);
    for (std::size_t cut = path.find('\\', dir_.size() + 1); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
      ::CreateDirectoryW(Wide(path.substr(0, cut)).c_str(), nullptr);
    }
    auto file = files().Open(path, platform::FileAccess::Write, 0, platform::FileDisposition::CreateAlways);
    ASSERT_TRUE(file && file->WriteAll(contents)) << path;
  }
  std::string Read(const std::string& name) {
    auto file = files().Open(In(name), platform::FileAccess::Read, platform::file_share::kAll,
                             platform::FileDisposition::OpenExisting);
    return file ? file->ReadAll(1 << 20).value_or("?") : "<missing>";
  }
  bool Exists(const std::string& name) {
    return ::GetFileAttributesW(Wide(In(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  RunContext& Clean(RunOptions options = {}) {
    worker_ = std::make_unique<RunContext>(env_->platform(), reporter_,
                                           RunSetup{.run_kind = RunKind::AutomaticClean, .options = options});
    return *worker_;
  }
  platform::Files& files() { return env_->platform().files; }

  std::unique_ptr<conformance::ConformanceEnv> env_ = conformance::MakeConformanceEnv();
  std::string dir_ = env_->ScratchFolder();
  FakeRunReporter reporter_;
  std::unique_ptr<RunContext> worker_;
};

TEST_F(WinePrimitivesTest, LinksAreLeftAloneAndOtherNamesKeepTheirData) {
  Make("wipe.bin", std::string(5000, 'w'));
  Make("twin\\data.bin", std::string(5000, 'd'));
  Make("outside\\o.txt", "outside");
  ASSERT_TRUE(::CreateHardLinkW(Wide(In("twin\\other.bin")).c_str(), Wide(In("twin\\data.bin")).c_str(), nullptr));
  auto open = files().Open(In("twin\\data.bin"), platform::FileAccess::ReadWrite, 0, platform::FileDisposition::OpenExisting);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->LinkCount().value_or(0), 2u);
  open->Close();

  std::uint8_t next = 1;
  EXPECT_TRUE(OverwriteFile(files(), In("wipe.bin"), 3, [&] { return next++; }));
  EXPECT_EQ(Read("wipe.bin"), std::string(5000, '\3'));

  const RunOptions wipe{.IsWipeFile = true, .WipeNumber = 2};
  EXPECT_TRUE(DeleteOneFile(Clean(wipe), In("twin\\data.bin"), true));
  EXPECT_FALSE(Exists("twin\\data.bin"));
  EXPECT_EQ(Read("twin\\other.bin"), std::string(5000, 'd'));

  if (!::CreateSymbolicLinkW(Wide(In("twin\\link")).c_str(), Wide(In("outside")).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "no folder links here (error " << ::GetLastError() << ")";
  }
  std::uint32_t counter = 0;
  EXPECT_EQ(DeleteFolderContents(Clean(wipe), In("twin"), true, true, "", counter), 5000);
  EXPECT_EQ(counter, 1u) << "the link is not counted";
  EXPECT_EQ(DeleteFolderContents(Clean(), In("twin\\link"), false, true, "", counter), 0);
  EXPECT_EQ(Read("outside\\o.txt"), "outside");
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(WinePrimitivesTest, WindowClassesAreFoundWhileAWindowIsOpen) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PlainWindowProc;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"NorvikPrimitivesTestWindow";
  ASSERT_TRUE(::RegisterClassW(&window_class));
  platform::System& system = env_->platform().system;
  EXPECT_FALSE(system.WindowClassExists("NorvikPrimitivesTestWindow"));
  HWND window = ::CreateWindowExW(0, window_class.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
  ASSERT_TRUE(window);
  EXPECT_TRUE(system.WindowClassExists("norvikprimitivestestwindow"));
  ::DestroyWindow(window);
  EXPECT_FALSE(system.WindowClassExists("NorvikPrimitivesTestWindow"));
  ::UnregisterClassW(window_class.lpszClassName, window_class.hInstance);
}

}  // namespace
}  // namespace norvik::cleaning
