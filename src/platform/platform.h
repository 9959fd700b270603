#pragma once
// The one door to the operating system. Code below the user interface is handed a
// Platform by its caller and reaches Windows (or the simulated Windows) through it.

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace norvik::platform {

struct Platform {
  Registry& registry;
  Files& files;
  IniFiles& ini;
  Shell& shell;
  System& system;
};

}  // namespace norvik::platform
