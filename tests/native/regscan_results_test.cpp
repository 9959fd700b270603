#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "regscan/result_actions.h"
#include "regscan/result_filter.h"

namespace norvik::regscan {
namespace {

using Lists = std::vector<std::string>;

ProblemRow Row(int kind, std::string key, std::string data = "d") {
  return ProblemRow{true, "Problem", std::move(data), std::move(key), kind};
}

TEST(ResultFilterTest, ExclusionsAndIgnoreListsRemoveWhatTheyCover) {
  const Lists none;
  const Lists value_a = {"HKEY_CURRENT_USER\\Software\\A\\Setting"};
  const Lists key_x = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\X"};
  const Lists key_ab = {"HKEY_CURRENT_USER\\Software\\Ab\\"};
  const std::string cu = "HKEY_CURRENT_USER\\Software\\", lm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
  const struct {
    ProblemRow row;
    Lists keys, values;
    bool removed;
  } cases[] = {
      // Built-in exclusions, whatever the letter case.
      {Row(0, "HKEY_CLASSES_ROOT\\CLSID\\{dfeaf541-f3e1-4c24-acac-99c30715084a}\\InprocServer32"), none, none, true},
      {Row(1, "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{DC6EFB56-9CFA-464D-8880-44885D7DC193}\\x"), none, none, true},
      {Row(1, cu + "X\\v", "C:\\%username%_cache\\a.exe"), none, none, true},
      {Row(1, cu + "?\\v", "C:\\a.exe"), none, none, false}, {Row(1, cu + "?:\\v"), none, none, true},
      {Row(1, cu + "%A%\\?"), none, none, true}, {Row(1, cu + "X\\v", "C:\\?.exe"), none, none, true},
      {Row(1, cu + "X\\v", "%A%?"), none, none, true}, {Row(1, cu + "X\\v", "%A?"), none, none, false},
      {Row(0, "hkey_current_user\\software\\javasoft\\Prefs"), none, none, true},
      {Row(1, cu + "Lexmark2\\v"), none, none, false},
      // An ignored value: the key holding it, the value itself, not its neighbours.
      {Row(0, cu + "A"), none, value_a, true}, {Row(3, "HKEY_CURRENT_USER\\Software", "A"), none, value_a, true},
      {Row(1, cu + "A\\setting"), none, value_a, true}, {Row(2, cu + "A", "Setting"), none, value_a, true},
      {Row(1, cu + "A\\Other"), none, value_a, false}, {Row(6, cu + "A", "Frggvat"), none, value_a, true},
      {Row(5, cu + "A\\Setting"), none, {"HKEY_CURRENT_USER\\Software\\A\\Setting\\@"}, true},
      // An ignored key: everything at or below it, and the keys that hold it.
      {Row(1, "HKEY_LOCAL_MACHINE\\Software\\x\\Deep\\v"), key_x, none, true},
      {Row(3, "HKEY_LOCAL_MACHINE\\SOFTWARE", "X"), key_x, none, true},
      {Row(0, "HKEY_LOCAL_MACHINE\\SOFTWARE"), key_x, none, true}, {Row(2, lm + "X", "v"), key_x, none, true},
      {Row(1, lm + "Xy\\v"), key_x, none, false}, {Row(0, cu + "Ab\\Sub"), key_ab, none, true},
      {Row(0, cu + "Abc"), key_ab, none, false},
      // Shortcut files and rows without a backslash are never covered by a list.
      {Row(4, "C:\\users\\user\\Desktop\\x.lnk", "C:\\gone.exe"), {"C:\\users"}, value_a, false},
      {Row(0, "HKEY_CURRENT_USER"), {"HKEY_CURRENT_USER"}, none, false},
  };
  for (const auto& c : cases) {
    ProblemRows rows = {c.row};
    FilterProblemRows(rows, c.keys, c.values);
    EXPECT_EQ(rows.empty(), c.removed) << c.row.fix_kind << " " << c.row.registry_key << " / " << c.row.data;
  }
}

TEST(ResultFilterTest, AddingRowsToTheIgnoreListsOnlyOnce) {
  ProblemRows rows = {Row(0, "HKEY_CURRENT_USER\\Software\\K"), Row(1, "HKEY_CURRENT_USER\\Software\\K\\v"),
                      Row(2, "HKEY_CURRENT_USER\\Software\\K", "n"), Row(3, "HKEY_CURRENT_USER\\Software", "S"),
                      Row(4, "C:\\x.lnk"), Row(6, "HKEY_CURRENT_USER\\Software\\K", "Nop"), Row(0, "NOROOT")};
  const ProblemRows again = {rows[0], rows[2]};
  Lists keys = {"hkey_current_user\\software\\s"};
  Lists values;
  EXPECT_EQ(AddToIgnoreLists(rows, {6, 5, 4, 3, 2, 1, 0, 0}, keys, values), 5u);
  EXPECT_EQ(keys, (Lists{"hkey_current_user\\software\\s", "HKEY_CURRENT_USER\\Software\\K"}));
  EXPECT_EQ(values, (Lists{"HKEY_CURRENT_USER\\Software\\K\\Abc", "HKEY_CURRENT_USER\\Software\\K\\n",
                           "HKEY_CURRENT_USER\\Software\\K\\v"}));
  EXPECT_EQ(rows, (ProblemRows{Row(3, "HKEY_CURRENT_USER\\Software", "S"), Row(0, "NOROOT")}))
      << "an entry already listed and a row without a key stay";

  rows = again;
  EXPECT_EQ(AddToIgnoreLists(rows, {0, 1}, keys, values), 0u);
  EXPECT_EQ(rows, again);
}

TEST(ResultActionsTest, RegistryEditorOpensAtTheRowsKeyOrValue) {
  platform::sim::SimMachine machine;
  ASSERT_TRUE(platform::LoadRegText(machine.registry(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\K]\r\n"
                                                              "\"v\"=\"x\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\K\\S]\r\n")
                  .empty());
  using Outcome = RegeditTarget::Outcome;
  const std::string k = "HKEY_CURRENT_USER\\Software\\";
  const struct {
    ProblemRow row;
    Outcome outcome;
    const char* key;
    const char* value;
  } cases[] = {
      {Row(0, k + "K"), Outcome::Open, "Software\\K", ""}, {Row(1, k + "K\\v"), Outcome::Open, "Software\\K", ""},
      {Row(3, "HKCU\\Software\\K", "S"), Outcome::Open, "Software\\K\\S", ""},
      {Row(0, k + "K\\v"), Outcome::Open, "Software\\K", "v"}, {Row(0, k + "K\\gone"), Outcome::NotFound, "", ""},
      {Row(0, k + "Gone\\v"), Outcome::NotFound, "", ""},
      {Row(4, "C:\\x.lnk", "C:\\x.exe"), Outcome::NotFound, "", ""},
      {Row(0, "HKEY_CURRENT_USER"), Outcome::Nothing, "", ""},
  };
  for (const auto& c : cases) {
    const RegeditTarget target = RegeditTargetFor(c.row, machine.registry());
    EXPECT_EQ(target.outcome, c.outcome) << c.row.registry_key;
    if (c.outcome == Outcome::Open) {
      EXPECT_EQ(std::tuple(target.root, target.key, target.value), std::tuple("HKEY_CURRENT_USER", c.key, c.value));
    }
  }
}

}  // namespace
}  // namespace norvik::regscan
