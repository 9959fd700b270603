// The registry as both backends must present it. Orders and error numbers are Wine's
// (checked first with small programs under Wine); where Windows itself differs the test
// says so.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conformance/conformance_env.h"
#include "platform/registry.h"

namespace norvik::conformance {
namespace {

using platform::kErrAccessDenied;
using platform::kErrFileNotFound;
using platform::kErrInvalidParameter;
using platform::kErrKeyDeleted;
using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;
using platform::Result;
namespace reg_access = platform::reg_access;

constexpr std::uint32_t kErrBadPathName = 161;

// One helper per check, reporting the caller's line (as Wine's registry tests do).
#define EXPECT_SUBKEYS(key, ...) ExpectNames(__FILE__, __LINE__, (key).SubKeyNames(), {__VA_ARGS__})
#define EXPECT_VALUE_NAMES(key, ...) ExpectNames(__FILE__, __LINE__, (key).ValueNames(), {__VA_ARGS__})
#define EXPECT_REG_VALUE(key, name, expected) ExpectValue(__FILE__, __LINE__, key, name, expected)
#define EXPECT_INFO(key, subkeys, values) ExpectInfo(__FILE__, __LINE__, key, subkeys, values)

void ExpectNames(const char* file, int line, const Result<std::vector<std::string>>& names,
                 const std::vector<std::string>& expected) {
  ::testing::ScopedTrace trace(file, line, "names");
  ASSERT_TRUE(names.ok()) << "error " << names.code();
  EXPECT_EQ(*names, expected);
}

void ExpectValue(const char* file, int line, const RegKey& key, std::string_view name,
                 const RegValue& expected) {
  ::testing::ScopedTrace trace(file, line, "value \"" + std::string(name) + "\"");
  const auto got = key.Query(name);
  ASSERT_TRUE(got.ok()) << "error " << got.code();
  EXPECT_EQ(got->type, expected.type);
  EXPECT_EQ(got->data, expected.data);
}

void ExpectInfo(const char* file, int line, const RegKey& key, std::uint32_t subkeys,
                std::uint32_t values) {
  ::testing::ScopedTrace trace(file, line, "info");
  const auto info = key.Info();
  ASSERT_TRUE(info.ok()) << "error " << info.code();
  EXPECT_EQ(info->subkey_count, subkeys);
  EXPECT_EQ(info->value_count, values);
}

// Removes `path` below `base` with everything under it; missing keys are fine.
void DeleteTree(RegKey& base, const std::string& path) {
  {
    auto key = base.Open(path);
    if (!key) return;
    for (const std::string& name : key->SubKeyNames().value_or({})) DeleteTree(*key, name);
  }
  (void)base.DeleteSubKey(path);
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
  EXPECT_EQ(scratch_.Open("CAFÉ").code(), kErrFileNotFound);
  Create("café");
  EXPECT_TRUE(scratch_.Open("CAFÉ").ok());
  EXPECT_SUBKEYS(scratch_, "café", "MixedCase");

  ASSERT_TRUE(key.Set("Value", RegValue::Dword(1)));
  ASSERT_TRUE(key.Set("VALUE", RegValue::String("two")));  // replaces data and kind, not the name
  EXPECT_VALUE_NAMES(key, "Value");
  EXPECT_REG_VALUE(key, "vAlUe", RegValue::String("two"));
}

TEST_F(RegistryConformance, SubkeysAndValuesAreListedSortedByLowerCaseName) {
  // Wine compares lower-cased names: '[' (0x5B) and '_' (0x5F) sort before letters.
  // Windows lists values in creation order instead; the program never relies on either.
  const std::vector<std::string> created = {"b", "A", "c", "a_", "aB", "Z", "[x", "B2", "a1"};
  RegKey keys = Create("Keys");
  RegKey values = Create("Values");
  for (const auto& name : created) {
    ASSERT_TRUE(keys.Create(name).ok()) << name;
    ASSERT_TRUE(values.Set(name, RegValue::Dword(1))) << name;
  }
  ASSERT_TRUE(values.Set("", RegValue::String("default")));
  EXPECT_SUBKEYS(keys, "[x", "A", "a1", "a_", "aB", "b", "B2", "c", "Z");
  EXPECT_VALUE_NAMES(values, "", "[x", "A", "a1", "a_", "aB", "b", "B2", "c", "Z");
  EXPECT_INFO(keys, 9, 0);
  EXPECT_INFO(values, 0, 10);

  ASSERT_TRUE(values.DeleteValue("b"));
  ASSERT_TRUE(values.Set("B", RegValue::Dword(2)));  // back in its sorted place
  EXPECT_VALUE_NAMES(values, "", "[x", "A", "a1", "a_", "aB", "B", "B2", "c", "Z");
}

TEST_F(RegistryConformance, ValuesComeBackWithTheirKindAndExactBytes) {
  struct Case {
    const char* name;
    RegValue value;
  };
  const std::vector<Case> cases = {
      {"sz", RegValue::String("text with \"quotes\" and \\")},
      {"empty sz", RegValue::String("")},
      {"expand", RegValue::ExpandString("%SystemRoot%\\x")},
      {"multi", RegValue::MultiString({"one", "", "three"})},
      {"multi empty", RegValue::MultiString({})},
      {"dword", RegValue::Dword(0xDEADBEEF)},
      {"qword", RegValue::Qword(0x0102030405060708ull)},
      {"binary with NUL", RegValue::Binary({0x00, 0xFF, 0x00, 0x7F})},
      {"binary empty", RegValue::Binary({})},
      {"none", RegValue::Binary({}, RegType::None)},
      {"none with data", RegValue::Binary({1, 2}, RegType::None)},
      {"sz of odd length", RegValue::Binary({'a', 0, 'b'}, RegType::Sz)},
      {"dword of 3 bytes", RegValue::Binary({1, 2, 3}, RegType::Dword)},
      {"big-endian dword", RegValue::Binary({1, 2, 3, 4}, RegType::DwordBigEndian)},
      {"unknown kind", RegValue::Binary({9}, static_cast<RegType>(0x12345))},
      {"", RegValue::String("default value")},
  };
  RegKey key = Create("Typed");
  for (const auto& c : cases) ASSERT_TRUE(key.Set(c.name, c.value)) << c.name;
  for (const auto& c : cases) EXPECT_REG_VALUE(key, c.name, c.value);
  EXPECT_INFO(key, 0, static_cast<std::uint32_t>(cases.size()));
}

TEST_F(RegistryConformance, MissingKeysAndValuesAnswerFileNotFound) {
  RegKey key = Create("Fresh");
  EXPECT_EQ(key.Query("").code(), kErrFileNotFound);  // a new key has no default value
  EXPECT_VALUE_NAMES(key);
  EXPECT_INFO(key, 0, 0);
  EXPECT_EQ(key.Query("missing").code(), kErrFileNotFound);
  EXPECT_EQ(key.DeleteValue("missing").code(), kErrFileNotFound);
  EXPECT_EQ(scratch_.Open("Missing").code(), kErrFileNotFound);
  EXPECT_EQ(scratch_.Open("Fresh\\Missing").code(), kErrFileNotFound);
  EXPECT_EQ(scratch_.DeleteSubKey("Missing").code(), kErrFileNotFound);
  EXPECT_EQ(scratch_.DeleteSubKey("Missing\\Deeper").code(), kErrFileNotFound);

  ASSERT_TRUE(key.Set("", RegValue::String("d")));
  EXPECT_VALUE_NAMES(key, "");
  ASSERT_TRUE(key.DeleteValue(""));
  EXPECT_EQ(key.Query("").code(), kErrFileNotFound);
}

TEST_F(RegistryConformance, DeleteSubKeyRemovesOnlyKeysWithoutSubkeys) {
  RegKey parent = Create("Parent");
  ASSERT_TRUE(parent.Create("Child").ok());
  ASSERT_TRUE(parent.Set("v", RegValue::Dword(1)));
  EXPECT_EQ(scratch_.DeleteSubKey("Parent").code(), kErrAccessDenied);
  EXPECT_TRUE(scratch_.Open("Parent\\Child").ok());

  EXPECT_TRUE(scratch_.DeleteSubKey("PARENT\\child"));  // a path, any case
  EXPECT_SUBKEYS(parent);
  EXPECT_TRUE(scratch_.DeleteSubKey("Parent"));  // values do not stop it
  EXPECT_EQ(scratch_.Open("Parent").code(), kErrFileNotFound);
}

TEST_F(RegistryConformance, AnOpenKeyWhoseKeyWasDeletedAnswersKeyDeleted) {
  RegKey doomed = Create("Doomed");
  ASSERT_TRUE(doomed.Set("v", RegValue::Dword(5)));
  ASSERT_TRUE(scratch_.DeleteSubKey("Doomed"));

  EXPECT_EQ(doomed.Query("v").code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.Set("w", RegValue::Dword(1)).code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.DeleteValue("v").code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.SubKeyNames().code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.ValueNames().code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.Info().code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.Open("").code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.Create("x").code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.DeleteSubKey("x").code(), kErrKeyDeleted);
  EXPECT_EQ(doomed.Flush().code(), kErrKeyDeleted);

  RegKey again = Create("Doomed");  // a new key of the same name does not revive the old one
  EXPECT_EQ(doomed.Query("v").code(), kErrKeyDeleted);
  EXPECT_EQ(again.Query("v").code(), kErrFileNotFound);
}

TEST_F(RegistryConformance, PathFormsAsTheRegistryParsesThem) {
  Create("A\\x");
  EXPECT_EQ(scratch_.Open("\\A").code(), kErrBadPathName);
  EXPECT_EQ(scratch_.Create("\\A").code(), kErrBadPathName);
  EXPECT_TRUE(scratch_.Open("A\\").ok());
  EXPECT_TRUE(scratch_.Open("A\\\\x").ok());  // empty names are skipped
  EXPECT_TRUE(scratch_.Open("A\\x\\\\").ok());
  EXPECT_TRUE(scratch_.Open("").ok());
  EXPECT_EQ(scratch_.Open("A\\.").code(), kErrFileNotFound);  // no "." or ".." navigation

  Create(".");
  Create("..");
  Create("A/b");  // '/' is an ordinary character
  EXPECT_SUBKEYS(scratch_, ".", "..", "A", "A/b");
  EXPECT_SUBKEYS(scratch_.Open("A").value(), "x");
}

TEST_F(RegistryConformance, OverlongNamesAreRefused) {
  // Windows documents 255 characters for key names; Wine still takes 256.
  EXPECT_TRUE(scratch_.Create(std::string(255, 'k')).ok());
  EXPECT_EQ(scratch_.Create(std::string(257, 'k')).code(), kErrInvalidParameter);
  EXPECT_EQ(scratch_.Open(std::string(257, 'k')).code(), kErrInvalidParameter);
  EXPECT_EQ(scratch_.Create("ok\\" + std::string(300, 'k')).code(), kErrInvalidParameter);

  RegKey key = Create("Values");
  EXPECT_TRUE(key.Set(std::string(16383, 'v'), RegValue::Dword(1)));
  EXPECT_EQ(key.Set(std::string(16384, 'v'), RegValue::Dword(1)).code(), kErrInvalidParameter);
  EXPECT_INFO(key, 0, 1);
}

TEST_F(RegistryConformance, HandlesAreLimitedToTheAccessTheyWereOpenedWith) {
  RegKey full = Create("Access");
  ASSERT_TRUE(full.Set("v", RegValue::Dword(1)));
  ASSERT_TRUE(full.Create("sub").ok());

  auto read = scratch_.Open("Access", reg_access::kRead);
  ASSERT_TRUE(read.ok());
  EXPECT_REG_VALUE(*read, "v", RegValue::Dword(1));
  EXPECT_SUBKEYS(*read, "sub");
  EXPECT_EQ(read->Set("v", RegValue::Dword(2)).code(), kErrAccessDenied);
  EXPECT_EQ(read->DeleteValue("v").code(), kErrAccessDenied);

  auto write = scratch_.Open("Access", reg_access::kWrite);
  ASSERT_TRUE(write.ok());
  EXPECT_TRUE(write->Set("w", RegValue::Dword(2)));
  EXPECT_EQ(write->Query("v").code(), kErrAccessDenied);
  EXPECT_EQ(write->ValueNames().code(), kErrAccessDenied);
  EXPECT_EQ(write->SubKeyNames().code(), kErrAccessDenied);
}

TEST_F(RegistryConformance, NonAsciiNamesAndTextRoundTrip) {
  const std::string key_name = "Grüße ☃ 日本";
  const std::string value_name = "naïve ✓";
  RegKey key = Create(key_name);
  ASSERT_TRUE(key.Set(value_name, RegValue::String("été € ☃")));
  EXPECT_SUBKEYS(scratch_, key_name);
  EXPECT_VALUE_NAMES(key, value_name);
  EXPECT_EQ(key.Query(value_name)->AsString(), "été € ☃");
  EXPECT_TRUE(scratch_.Open("GRÜßE ☃ 日本").ok());  // ü folds, ß has no single upper case
  EXPECT_TRUE(key.Query("NAÏVE ✓").ok());
}

TEST_F(RegistryConformance, ClassesRootShowsLocalMachineSoftwareClasses) {
  std::string unique = "NorvikConformance_" + env_->ScratchKey();
  for (char& c : unique) c = c == '\\' ? '_' : c;
  RegKey classes = registry().Root(RegRoot::LocalMachine).Open("Software\\Classes").value();
  {
    auto made = classes.Create(unique + "\\shell");
    ASSERT_TRUE(made.ok()) << made.code();
    ASSERT_TRUE(made->Set("", RegValue::String("open")));

    RegKey root = registry().Root(RegRoot::ClassesRoot);
    auto seen = root.Open(unique + "\\SHELL");
    ASSERT_TRUE(seen.ok()) << seen.code();
    EXPECT_REG_VALUE(*seen, "", RegValue::String("open"));

    ASSERT_TRUE(root.Create(unique + "\\via root").ok());  // writes land in HKLM
    EXPECT_SUBKEYS(classes.Open(unique).value(), "shell", "via root");
  }
  DeleteTree(classes, unique);
  EXPECT_EQ(registry().Root(RegRoot::ClassesRoot).Open(unique).code(), kErrFileNotFound);
}

TEST_F(RegistryConformance, CurrentUserIsOneOfTheUsersHives) {
  RegKey users = registry().Root(RegRoot::Users);
  int found = 0;
  for (const std::string& sid : users.SubKeyNames().value_or({})) {
    found += users.Open(sid + "\\" + env_->ScratchKey()).ok() ? 1 : 0;
  }
  EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace norvik::conformance

namespace norvik::conformance {
namespace {

TEST_F(RegistryConformance, SubtreeWalkVisitsKeysBeforeTheirSubkeys) {
  for (const char* path : {"Walk\\b\\deep\\deeper", "Walk\\a\\x", "Walk\\a\\y", "Walk\\c"}) {
    ASSERT_TRUE(scratch_.Create(path).ok()) << path;
  }
  RegKey walk = Create("Walk");

  std::vector<std::string> seen;
  EXPECT_TRUE(platform::WalkSubtree(walk, [&](const platform::WalkEntry& e) {
    seen.push_back(e.path + "@" + std::to_string(e.depth));
    return e.path == "b\\deep" ? platform::WalkAction::SkipSubkeys : platform::WalkAction::Continue;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"@0", "a@1", "a\\x@2", "a\\y@2", "b@1", "b\\deep@2",
                                            "c@1"}));

  // Keys the visitor removes before their turn are passed over.
  seen.clear();
  EXPECT_TRUE(platform::WalkSubtree(walk, [&](const platform::WalkEntry& e) {
    seen.push_back(e.path);
    if (e.path == "a") (void)scratch_.DeleteSubKey("Walk\\a\\y");
    if (e.path == "a\\x") (void)scratch_.DeleteSubKey("Walk\\c");
    return platform::WalkAction::Continue;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"", "a", "a\\x", "b", "b\\deep", "b\\deep\\deeper"}));

  seen.clear();
  EXPECT_FALSE(platform::WalkSubtree(walk, [&](const platform::WalkEntry& e) {
    seen.push_back(e.path);
    return e.path == "a" ? platform::WalkAction::Stop : platform::WalkAction::Continue;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"", "a"}));
}

}  // namespace
}  // namespace norvik::conformance
