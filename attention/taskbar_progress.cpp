// Progress on the host window's taskbar button through the shell's taskbar object (ITaskbarList3, Windows 7).
#include <windows.h>
#include <shobjidl.h>

#include <memory>

#include "attention/attention.h"
#include "attention/attention_thread.h"
#include "host/host_window.h"
#include "host/win_handle.h"

namespace hostkit::attention {

static_assert(kProgressNone == TBPF_NOPROGRESS && kProgressIndeterminate == TBPF_INDETERMINATE &&
              kProgressNormal == TBPF_NORMAL && kProgressError == TBPF_ERROR && kProgressPaused == TBPF_PAUSED);

HRESULT ApplyProgress(HWND host, const Progress& progress) noexcept {
  ITaskbarList3* made = nullptr;
  HRESULT result = ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                      reinterpret_cast<void**>(&made));
  if (FAILED(result)) return result;
  const win::UniqueCom<ITaskbarList3> taskbar(made);
  if (FAILED(result = taskbar.get()->HrInit())) return result;
  if (FAILED(result = taskbar.get()->SetProgressState(host, static_cast<TBPFLAG>(progress.state)))) return result;
  if (progress.with_value)
    result = taskbar.get()->SetProgressValue(host, static_cast<ULONGLONG>(progress.permille), 1000);
  return result;
}

int SetTaskbarProgress(int state, int permille) {
  const auto progress = ProgressFor(state, permille);
  if (!progress) return E_INVALIDARG;
  const HWND host = host::FindHostWindow();
  if (host == nullptr) return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
  // The object is made in the host thread's own apartment, whatever it is, and its COM state is left alone. A
  // thread that never joined one (CO_E_NOTINITIALIZED) hands the change to the attention thread, which has its
  // own; the answer is then that it was handed over.
  const HRESULT result = ApplyProgress(host, *progress);
  if (result != CO_E_NOTINITIALIZED) return result;
  return static_cast<int>(
      HRESULT_FROM_WIN32(PostProgress(std::make_unique<ProgressChange>(ProgressChange{host, *progress}))));
}

}  // namespace hostkit::attention
