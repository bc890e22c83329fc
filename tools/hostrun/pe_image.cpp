#include "tools/hostrun/pe_image.h"

namespace hostrun {
namespace {

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int entry) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return nt->OptionalHeader.DataDirectory[entry];
}

}  // namespace

std::vector<std::string> ExportNames(HMODULE module) {
  std::vector<std::string> names;
  const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
  if (dir.VirtualAddress == 0) return names;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* name_rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    names.emplace_back(reinterpret_cast<const char*>(base + name_rvas[i]));
  return names;
}

DWORD* ImportSlot(HMODULE module, const char* dll, const char* function) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (dir.VirtualAddress == 0) return nullptr;
  auto* base = reinterpret_cast<BYTE*>(module);
  for (auto* imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
    // The original thunks keep the names; the first thunks are the slots the loader filled.
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<const char*>(by_name->Name), function) == 0) return &slots->u1.Function;
    }
  }
  return nullptr;
}

}  // namespace hostrun
