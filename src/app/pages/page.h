#pragma once
// What the main window's shell asks of every page. A page is a controller with a view
// interface of its own; the shell only calls these steps, in registration order.

#include <cstdint>

#include "core/settings.h"

namespace norvik::app {

// Side buttons and pages share these tags.
inline constexpr int kTagCleaner = 17;
inline constexpr int kTagRegistry = 18;
inline constexpr int kTagTools = 19;
inline constexpr int kTagOptions = 20;
inline constexpr int kTagDefrag = 21;
inline constexpr int kTagHelp = 22;

// Where a mouse press on a page's tree landed.
enum class TreeHit { Nowhere, Label, StateIcon, Other };

class Page {
 public:
  virtual ~Page() = default;
  virtual int Tag() const = 0;
  // At start-up, once the settings are loaded: build the page and show the record in it.
  // `os_code` is core::GetOsCode's.
  virtual void Create(std::uint8_t /*os_code*/) {}
  // Just before the window first shows.
  virtual void Show() {}
  // The page was switched to or away from.
  virtual void SetShown(bool /*shown*/) {}
  // The window closes: stop what runs and keep what only the view knows.
  virtual void Close() {}
  // Before every save: what the page shows goes into the record.
  virtual void StoreSettings(core::Settings& /*settings*/) {}
};

}  // namespace norvik::app
