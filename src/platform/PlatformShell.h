#pragma once

#include "platform/Shell.h"

#include <memory>

// Made by the implementation CMake chose for this system.
std::unique_ptr<IShell> CreatePlatformShell();
