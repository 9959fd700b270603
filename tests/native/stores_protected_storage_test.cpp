#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system.h"
#include "stores/protected_storage.h"

namespace norvik::stores {
namespace {

using platform::sim::SimStoreType;

// Every list is drained in asks of 16, item names are cut to 255 characters (never
// inside one), and a missing service or a refused connection answers nothing.
TEST(ProtectedStorageTest, ListsEverythingInAsksOf16AndCutsLongNames) {
  platform::sim::SimMachine machine;
  auto& internet = machine.system().internet();
  std::vector<SimStoreType> types(40);
  for (std::size_t i = 0; i < types.size(); ++i) types[i].id[0] = static_cast<std::uint8_t>(i + 1);
  const std::string long_name = std::string(254, 'n') + "\xC3\xA9" + "tail";  // 300 bytes, 259 characters
  types[0].name = "Internet Explorer";
  types[0].subtypes = {{platform::StoreGuid{9}, {long_name, "short"}}};
  internet.SetStoreTypes(types);

  TPStorage store(machine.system());
  EXPECT_FALSE(store.Connect());
  EXPECT_TRUE(store.Types().empty());

  internet.SetProtectedStorage(true, false);
  EXPECT_FALSE(store.Connect());

  internet.SetProtectedStorage(true);
  ASSERT_TRUE(store.Connect());
  EXPECT_EQ(store.Types().size(), 40u);
  EXPECT_EQ(internet.EnumeratorAsks(), (std::vector<std::size_t>{16, 16, 16, 16}));
  EXPECT_EQ(store.TypeName(types[0].id), "Internet Explorer");
  EXPECT_EQ(store.Items(types[0].id, platform::StoreGuid{9}),
            (TItemList{std::string(254, 'n') + "\xC3\xA9", "short"}));
  EXPECT_TRUE(store.DeleteItem(types[0].id, platform::StoreGuid{9}, "short"));
  EXPECT_FALSE(store.DeleteItem(types[0].id, platform::StoreGuid{9}, "short"));
  store.Disconnect();
  EXPECT_TRUE(store.TypeName(types[0].id).empty());
}

}  // namespace
}  // namespace norvik::stores
