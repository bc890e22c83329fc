#pragma once
// Limits what a new process inherits to the handles given, where the platform offers a handle list
// (PROC_THREAD_ATTRIBUTE_HANDLE_LIST); get() is null where it does not. The handles must stay open and inheritable
// until the process is created.
#include <windows.h>

#include <vector>

namespace hostkit::host {

class InheritOnly {
 public:
  explicit InheritOnly(std::vector<HANDLE> handles);
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;
  ~InheritOnly();
  LPPROC_THREAD_ATTRIBUTE_LIST get() const noexcept { return list_; }

 private:
  std::vector<HANDLE> handles_;
  std::vector<char> storage_;  // operator new's alignment is enough for the list
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace hostkit::host
