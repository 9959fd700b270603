// The registry as both backends must present it. Orders and error numbers are Wine's
// (checked first with small programs under Wine); where Windows itself differs the test
// says so.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "conformance/conformance_env.h"
#include "platform/registry.h"

namespace norvik::conformance {
namespace {

using namespace platform;
using Names = std::vector<std::string>;

constexpr std::uint32_t kErrBadPathName = 161;

// A failed listing compares as "<error N>", so EXPECT_EQ shows the code at the caller's line.
Names Listed(const Result<Names>& names) {
  return names ? *names : Names{"<error " + std::to_string(names.code()) + ">"};
}
std::optional<RegValue> Got(const RegKey& key, std::string_view name) {
  auto value = key.Query(name);
  return value ? std::optional<RegValue>(*value) : std::nullopt;
}

class RegistryConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    auto key = registry().Root(RegRoot::CurrentUser).Open(env_->ScratchKey());
    ASSERT_TRUE(key.ok()) << "scratch key: error " << key.code();
    scratch_ = std::move(key).value();
  }

  platform::Registry& registry() { return env_->platform().registry; }

  RegKey Create(std::string_view path) {
    auto key = scratch_.Create(path);
    EXPECT_TRUE(key.ok()) << path << ": error " << key.code();
    return key.ok() ? std::move(key).value() : RegKey();
  }

  std::unique_ptr<ConformanceEnv> env_ = MakeConformanceEnv();
  RegKey scratch_;
};

TEST_F(RegistryConformance, NamesIgnoreCaseButKeepTheCaseTheyWereCreatedWith) {
  RegKey key = Create("MixedCase");
  EXPECT_TRUE(scratch_.Open("MIXEDCASE").ok());
  EXPECT_TRUE(scratch_.Create("mixedcase").ok());  // opens the same key
  Create("Grüße ☃ 日本");
  EXPECT_TRUE(scratch_.Open("GRÜßE ☃ 日本").ok());  // ü folds, ß has no single upper case
  EXPECT_EQ(Listed(scratch_.SubKeyNames()), (Names{"Grüße ☃ 日本", "MixedCase"}));

  // "VALUE" replaces the data and kind of "Value", not its name.
  ASSERT_TRUE(key.Set("Value", RegValue::Dword(1)) && key.Set("VALUE", RegValue::String("two")) &&
              key.Set("naïve ✓", RegValue::String("été € ☃")));
  EXPECT_EQ(Listed(key.ValueNames()), (Names{"naïve ✓", "Value"}));
  EXPECT_EQ((std::vector{Got(key, "vAlUe"), Got(key, "NAÏVE ✓")}),
            (std::vector<std::optional<RegValue>>{RegValue::String("two"), RegValue::String("été € ☃")}));
}

TEST_F(RegistryConformance, SubkeysAndValuesAreListedSortedByLowerCaseName) {
  // Wine compares lower-cased names: '[' (0x5B) and '_' (0x5F) sort before letters.
  // Windows lists values in creation order instead; the program never relies on either.
  RegKey keys = Create("Keys");
  RegKey values = Create("Values");
  for (const char* name : {"b", "A", "c", "a_", "aB", "Z", "[x", "B2", "a1"}) {
    ASSERT_TRUE(keys.Create(name).ok()) << name;
    ASSERT_TRUE(values.Set(name, RegValue::Dword(1))) << name;
  }
  ASSERT_TRUE(values.Set("", RegValue::String("default")));
  EXPECT_EQ(Listed(keys.SubKeyNames()), (Names{"[x", "A", "a1", "a_", "aB", "b", "B2", "c", "Z"}));
  EXPECT_EQ(Listed(values.ValueNames()), (Names{"", "[x", "A", "a1", "a_", "aB", "b", "B2", "c", "Z"}));
  EXPECT_EQ(keys.Info().value_or({}).subkey_count, 9u);
  EXPECT_EQ(values.Info().value_or({}).value_count, 10u);
}

TEST_F(RegistryConformance, ValuesComeBackWithTheirKindAndExactBytes) {
  const std::vector<std::pair<const char*, RegValue>> cases = {
      {"sz", RegValue::String("text with \"quotes\" and \\")}, {"empty sz", RegValue::String("")},
      {"expand", RegValue::ExpandString("%SystemRoot%\\x")}, {"multi", RegValue::MultiString({"one", "", "three"})},
      {"multi empty", RegValue::MultiString({})}, {"dword", RegValue::Dword(0xDEADBEEF)},
      {"qword", RegValue::Qword(0x0102030405060708ull)},
      {"binary with NUL", RegValue::Binary({0x00, 0xFF, 0x00, 0x7F})}, {"binary empty", RegValue::Binary({})},
      {"none", RegValue::Binary({}, RegType::None)}, {"none with data", RegValue::Binary({1, 2}, RegType::None)},
      {"sz of odd length", RegValue::Binary({'a', 0, 'b'}, RegType::Sz)},
      {"dword of 3 bytes", RegValue::Binary({1, 2, 3}, RegType::Dword)},
      {"big-endian dword", RegValue::Binary({1, 2, 3, 4}, RegType::DwordBigEndian)},
      {"unknown kind", RegValue::Binary({9}, static_cast<RegType>(0x12345))}, {"", RegValue::String("default value")},
  };
  RegKey key = Create("Typed");
  for (const auto& [name, value] : cases) ASSERT_TRUE(key.Set(name, value)) << name;
  for (const auto& [name, value] : cases) EXPECT_EQ(Got(key, name), value) << name;
}

TEST_F(RegistryConformance, MissingKeysAndValuesAnswerFileNotFound) {
  RegKey key = Create("Fresh");
  EXPECT_EQ(Listed(key.ValueNames()), Names{});
  const std::uint32_t before_default = key.Query("").code();  // a new key has no default value
  ASSERT_TRUE(key.Set("", RegValue::String("d")) && key.DeleteValue(""));
  EXPECT_EQ(std::vector<std::uint32_t>({before_default, key.DeleteValue("missing").code(),
                                        scratch_.Open("Fresh\\Missing").code(),
                                        scratch_.DeleteSubKey("Missing\\Deeper").code(), key.Query("").code()}),
            std::vector<std::uint32_t>(5, kErrFileNotFound));
}

TEST_F(RegistryConformance, DeleteSubKeyTakesOnlyKeysWithoutSubkeysAndTheirHandlesAnswerKeyDeleted) {
  RegKey parent = Create("Parent");
  ASSERT_TRUE(parent.Create("Child").ok() && parent.Set("v", RegValue::Dword(1)));
  EXPECT_EQ(scratch_.DeleteSubKey("Parent").code(), kErrAccessDenied);
  // A path, in any case; then values do not stop it.
  EXPECT_TRUE(scratch_.DeleteSubKey("PARENT\\child") && scratch_.DeleteSubKey("Parent"));
  EXPECT_EQ(scratch_.Open("Parent").code(), kErrFileNotFound);
  EXPECT_EQ(std::vector<std::uint32_t>({parent.Set("w", RegValue::Dword(1)).code(), parent.SubKeyNames().code()}),
            std::vector<std::uint32_t>(2, kErrKeyDeleted));
  RegKey again = Create("Parent");  // a new key of the same name does not revive the old one
  EXPECT_EQ(std::tuple(parent.Query("v").code(), again.Query("v").code()), std::tuple(kErrKeyDeleted, kErrFileNotFound));
}

TEST_F(RegistryConformance, RegistryLinksAreFollowedOnTheWayButNeverWalkedOrDeletedThrough) {
  const std::string base = env_->ScratchKey();
  RegKey target = Create("Target");
  ASSERT_TRUE(target.Set("precious", RegValue::Dword(7)) && target.Create("Sub").ok());
  ASSERT_TRUE(env_->MakeRegistryLink(base + "\\Holder\\Link", base + "\\Target"));

  // An ordinary open follows the link, and so does a path through it; the link itself lists nothing.
  EXPECT_TRUE(Got(*scratch_.Open("Holder\\Link"), "precious") && scratch_.Open("Holder\\Link\\Sub").ok());
  auto link = scratch_.OpenLink("Holder\\Link");
  ASSERT_TRUE(link.ok());
  EXPECT_TRUE(link->IsLink() && !target.IsLink() && Listed(link->SubKeyNames()).empty());

  std::vector<std::string> walked;
  WalkSubtree(*scratch_.Open("Holder"), [&](const WalkEntry& entry) {
    walked.push_back(entry.path);
    return WalkAction::Continue;
  });
  EXPECT_EQ(walked, (Names{"", "Link"}));

  // RegDeleteKey would take the target; only the link goes.
  EXPECT_TRUE(scratch_.DeleteSubKey("Holder\\Link"));
  EXPECT_EQ(scratch_.OpenLink("Holder\\Link").code(), kErrFileNotFound);
  EXPECT_TRUE(Got(*scratch_.Open("Target"), "precious") && scratch_.Open("Target\\Sub").ok());
}

TEST_F(RegistryConformance, PathFormsAsTheRegistryParsesThem) {
  Create("A\\x");
  EXPECT_EQ(scratch_.Create("\\A").code(), kErrBadPathName);
  for (const char* path : {"A\\", "A\\\\x", "A\\x\\\\", ""}) EXPECT_TRUE(scratch_.Open(path).ok()) << path;
  EXPECT_EQ(scratch_.Open("A\\.").code(), kErrFileNotFound);  // no "." or ".." navigation
  Create("..");
  Create("A/b");  // '/' is an ordinary character
  EXPECT_EQ(Listed(scratch_.SubKeyNames()), (Names{"..", "A", "A/b"}));
}

TEST_F(RegistryConformance, OverlongNamesAreRefused) {
  // Windows documents 255 characters for key names; Wine still takes 256. Listing
  // buffers that start small must grow to the longest names.
  EXPECT_TRUE(scratch_.Create(std::string(255, 'k')).ok());
  EXPECT_EQ(Listed(scratch_.SubKeyNames()), Names{std::string(255, 'k')});
  RegKey key = Create("Values");
  EXPECT_TRUE(key.Set(std::string(16383, 'v'), RegValue::Dword(1)));
  EXPECT_EQ(Listed(key.ValueNames()), Names{std::string(16383, 'v')});
  EXPECT_EQ(std::vector<std::uint32_t>({scratch_.Create(std::string(257, 'k')).code(),
                                        scratch_.Open(std::string(257, 'k')).code(),
                                        scratch_.Create("ok\\" + std::string(300, 'k')).code(),
                                        key.Set(std::string(16384, 'v'), RegValue::Dword(1)).code()}),
            std::vector<std::uint32_t>(4, kErrInvalidParameter));
}

TEST_F(RegistryConformance, NamesHoldingNulAreRefusedNeverCutShort) {
  // Cut at the NUL, "Kept\0x" would name "Kept" and "\0x" the key itself.
  RegKey kept = Create("Kept");
  ASSERT_TRUE(kept.Set("v", RegValue::Dword(1)));
  const std::string nul_key("Kept\0x", 6);
  const std::string nul_value("v\0x", 3);
  const std::vector<bool> done = {scratch_.Create(nul_key).ok(), scratch_.Open(std::string("\0x", 2)).ok(),
                                  scratch_.DeleteSubKey(nul_key).ok(), kept.DeleteSubKey(std::string("\0x", 2)).ok(),
                                  kept.Set(nul_value, RegValue::Dword(2)).ok(), kept.Query(nul_value).ok(),
                                  kept.DeleteValue(nul_value).ok()};
  EXPECT_EQ(done, std::vector<bool>(7, false));
  // An empty name would be the key itself: DeleteSubKey deletes subkeys only.
  EXPECT_EQ(kept.DeleteSubKey("").code(), kErrInvalidParameter);
  EXPECT_EQ(Listed(scratch_.SubKeyNames()), (Names{"Kept"}));
  EXPECT_EQ(kept.Query("v")->AsDword(), 1u);
}

TEST_F(RegistryConformance, HandlesAreLimitedToTheAccessTheyWereOpenedWith) {
  RegKey full = Create("Access");
  ASSERT_TRUE(full.Set("v", RegValue::Dword(1)));
  RegKey read = scratch_.Open("Access", platform::reg_access::kRead).value_or({});
  RegKey write = scratch_.Open("Access", platform::reg_access::kWrite).value_or({});
  EXPECT_TRUE(Got(read, "v") == RegValue::Dword(1) && write.Set("w", RegValue::Dword(2)));
  EXPECT_EQ((std::vector{read.Set("v", RegValue::Dword(2)).code(), write.Query("v").code(), write.SubKeyNames().code()}),
            std::vector<std::uint32_t>(3, kErrAccessDenied));
}

TEST_F(RegistryConformance, ClassesRootShowsLocalMachineSoftwareClasses) {
  std::string unique = "NorvikConformance_" + env_->ScratchKey();
  for (char& c : unique) c = c == '\\' ? '_' : c;
  RegKey classes = registry().Root(RegRoot::LocalMachine).Open("Software\\Classes").value();
  RegKey root = registry().Root(RegRoot::ClassesRoot);
  ASSERT_TRUE(classes.Create(unique + "\\shell")->Set("", RegValue::String("open")));
  EXPECT_EQ(Got(root.Open(unique + "\\SHELL").value_or({}), ""), RegValue::String("open"));
  ASSERT_TRUE(root.Create(unique + "\\via root").ok());  // writes land in HKLM
  EXPECT_EQ(Listed(classes.Open(unique)->SubKeyNames()), (Names{"shell", "via root"}));
  for (const std::string sub : {"\\shell", "\\via root", ""}) EXPECT_TRUE(classes.DeleteSubKey(unique + sub));
  EXPECT_EQ(root.Open(unique).code(), kErrFileNotFound);
}

TEST_F(RegistryConformance, SubtreeWalkVisitsKeysBeforeTheirSubkeys) {
  for (const char* path : {"Walk\\b\\deep\\deeper", "Walk\\a\\x", "Walk\\a\\y", "Walk\\c"}) {
    ASSERT_TRUE(scratch_.Create(path).ok()) << path;
  }
  RegKey walk = Create("Walk");
  // Whether the walk went to its end, then each key visited as "path@depth"; `decide` answers for each.
  const auto visits = [&](auto decide) {
    Names seen;
    const bool whole = platform::WalkSubtree(walk, [&](const platform::WalkEntry& e) {
      seen.push_back(e.path + "@" + std::to_string(e.depth));
      return decide(e.path);
    });
    seen.insert(seen.begin(), whole ? "whole" : "stopped");
    return seen;
  };
  EXPECT_EQ(visits([](const std::string& p) { return p == "b\\deep" ? WalkAction::SkipSubkeys : WalkAction::Continue; }),
            (Names{"whole", "@0", "a@1", "a\\x@2", "a\\y@2", "b@1", "b\\deep@2", "c@1"}));
  // Keys the visitor removes before their turn are passed over.
  EXPECT_EQ(visits([&](const std::string& p) {
              if (p == "a") (void)scratch_.DeleteSubKey("Walk\\a\\y");
              if (p == "a\\x") (void)scratch_.DeleteSubKey("Walk\\c");
              return WalkAction::Continue;
            }),
            (Names{"whole", "@0", "a@1", "a\\x@2", "b@1", "b\\deep@2", "b\\deep\\deeper@3"}));
  EXPECT_EQ(visits([](const std::string& p) { return p == "a" ? WalkAction::Stop : WalkAction::Continue; }),
            (Names{"stopped", "@0", "a@1"}));
}

}  // namespace
}  // namespace norvik::conformance
