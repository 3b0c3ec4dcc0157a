// The component's two COM classes.
#pragma once

#include <windows.h>

#include <string>

namespace nexdb {

// A new object of the class, asked for `iid`.
HRESULT CreateDatabaseComponent(REFIID iid, void** object);
HRESULT CreateResultComponent(REFIID iid, void** object);
// How many objects are alive (the DLL may be unloaded only at 0).
long LiveObjects();
// The full path of this DLL; empty when it cannot be had.
std::string ModulePath();

}  // namespace nexdb
