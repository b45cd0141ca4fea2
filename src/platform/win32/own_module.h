// The module this code is linked into (the SDK's DLL): where its resources
// live and the folder its companions are looked up in.
#pragma once

#include <windows.h>

#include <cstddef>

namespace korvex::platform {

HMODULE OwnModule();

// The module's folder with a trailing separator into folder (size bytes);
// empty when unknown or too long.
void OwnModuleFolder(char* folder, size_t size);

}  // namespace korvex::platform
