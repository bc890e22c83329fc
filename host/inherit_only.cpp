#include "host/inherit_only.h"

#include <cstdint>
#include <utility>

namespace hostkit::host {
namespace {

bool IsConsolePseudoHandle(HANDLE handle) noexcept { return (reinterpret_cast<std::uintptr_t>(handle) & 3) == 3; }

}  // namespace

InheritOnly::InheritOnly(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
  // Windows 7 and earlier give console handles as pseudo-handles (the two low bits set), which a handle list
  // refuses: CreateProcess would fail with ERROR_INVALID_PARAMETER and the process would never start.
  if (handles_.empty()) return;
  for (const HANDLE handle : handles_)
    if (IsConsolePseudoHandle(handle)) return;
  SIZE_T size = 0;
  // The first call answers the size it needs and fails with ERROR_INSUFFICIENT_BUFFER.
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  if (size == 0) return;
  storage_.resize(size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
  if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                   handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
    ::DeleteProcThreadAttributeList(list);
    return;
  }
  list_ = list;
}

InheritOnly::~InheritOnly() {
  if (list_ != nullptr) ::DeleteProcThreadAttributeList(list_);
}

}  // namespace hostkit::host
