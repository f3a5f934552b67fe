// Import-table redirection of the executable's own module (see import_patch.h).
#include "import_patch.h"

#include <windows.h>

namespace {

// Replaces one import address table slot, lifting the page's write protection meanwhile.
void writeSlot(void** slot, void* value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

int patchImport(const char* dll, const char* function, void* replacement, void** original) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return 0;
  int changed = 0;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       desc->Name != 0; ++desc) {
    if (dll && lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
    // The name table (OriginalFirstThunk) says which function each address slot holds.
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
    auto* slots = reinterpret_cast<void**>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      if (original && !*original) *original = *slots;
      writeSlot(slots, replacement);
      ++changed;
    }
  }
  return changed;
}
