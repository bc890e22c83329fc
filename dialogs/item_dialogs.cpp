// The asynchronous open and save dialogs: the system's file dialog object (IFileOpenDialog, IFileSaveDialog) on
// the dialog thread. The hook dialogs (GetOpenFileNameA, GetSaveFileNameA) move the process's working folder as the
// user browses, whatever the flags, and the game's relative paths would follow them while it runs; this one leaves
// the working folder alone (measured under Wine 8: started in another folder, the working folder stayed as it was
// while it was open and after). Answers, filters, initial folder, title and placement are the hook dialogs'.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_job.h"
#include "dialogs/file_texts.h"
#include "dialogs/win32_dialog.h"
#include "host/ansi_path.h"
#include "host/win_handle.h"

namespace hostkit::dialogs {
namespace {

// The bounds of the hook dialogs' answer buffers, terminator included: an answer that would not fit there is a
// dialog that could not answer (status 3), as it is for them.
constexpr std::size_t kOpenAnswerCapacity = 64 * 1024;
constexpr std::size_t kSaveAnswerCapacity = MAX_PATH;

// FOS_NOCHANGEDIR keeps the working folder where it is on Windows too. No default extension is set: Windows then
// adds none, where Wine 8 adds the selected type's first extension to a saved name that lacks it (measured).
constexpr FILEOPENDIALOGOPTIONS kItemOptions =
    FOS_NOCHANGEDIR | FOS_FORCEFILESYSTEM | FOS_NOVALIDATE | FOS_PATHMUSTEXIST;
constexpr FILEOPENDIALOGOPTIONS kOpenOptions = kItemOptions | FOS_FILEMUSTEXIST;
constexpr FILEOPENDIALOGOPTIONS kSaveOptions = kItemOptions | FOS_OVERWRITEPROMPT;

enum class Kind { Open, OpenSeveral, Save };

// A dialog's request as the script made it, with the settings in force then.
struct ItemRequest {
  Kind kind;
  std::string title;
  std::string filter;
  std::string initial_dir = InitialDir();
  Placement place = PlacementNow(nullptr);
};

RequestEnd EndedAs(RequestStatus status) { return {status, {}, {}}; }

std::wstring Widened(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), units);
  return wide;
}

// The text in the code page; a character it lacks becomes '?', never a look-alike that could name another file
// ('?' is no file name character: a file call with it fails). The UTF-8 code page refuses the flag, and has
// every character.
std::string Narrowed(const std::wstring& wide) {
  if (auto exact = host::ExactAnsi(wide)) return *exact;
  const int length = static_cast<int>(wide.size());
  for (const DWORD flags : {DWORD{WC_NO_BEST_FIT_CHARS}, DWORD{0}}) {
    const int bytes = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) continue;
    std::string text(static_cast<std::size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_ACP, flags, wide.data(), length, text.data(), bytes, nullptr, nullptr) == bytes)
      return text;
  }
  return {};
}

// Places the dialog once it has a window. The first folder change comes while the dialog is built, before it is
// shown (measured under Wine 8: hidden, at its final size), as CDN_INITDONE comes to the hook dialogs.
// The object lives on the dialog thread's stack and outlives its advice, so its reference count is nominal.
class PlacingEvents final : public IFileDialogEvents {
 public:
  explicit PlacingEvents(Placement place) : place_(place) {}
  PlacingEvents(const PlacingEvents&) = delete;
  PlacingEvents& operator=(const PlacingEvents&) = delete;
  virtual ~PlacingEvents() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = iid == IID_IUnknown || iid == IID_IFileDialogEvents ? static_cast<IFileDialogEvents*>(this) : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
    return Guard(
        [&] {
          PlaceOnce(dialog);
          return S_OK;
        },
        S_OK);
  }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
  // E_NOTIMPL: the dialog's own answer, and its own overwrite question.
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    return E_NOTIMPL;
  }

 private:
  void PlaceOnce(IFileDialog* dialog) {
    if (placed_ || dialog == nullptr) return;
    const auto window = win::TakeCom<IOleWindow>(
        [&](IOleWindow** out) { return dialog->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(out)); });
    HWND handle = nullptr;
    if (!window || FAILED(window.get()->GetWindow(&handle)) || handle == nullptr) return;
    placed_ = true;
    PlaceDialogAt(handle, ::GetDesktopWindow(), place_.at);
  }

  Placement place_;
  bool placed_ = false;
};

// The events' advice for the scope: withdrawn before the dialog object and the events go.
class Advice {
 public:
  Advice(IFileDialog* dialog, IFileDialogEvents* events) : dialog_(dialog) {
    if (FAILED(dialog_->Advise(events, &cookie_))) dialog_ = nullptr;
  }
  Advice(const Advice&) = delete;
  Advice& operator=(const Advice&) = delete;
  ~Advice() {
    if (dialog_ != nullptr) dialog_->Unadvise(cookie_);
  }

 private:
  IFileDialog* dialog_;
  DWORD cookie_ = 0;
};

// The file types as the dialog wants them: the texts stay in `texts` for as long as the specs point into them.
struct FileTypes {
  std::vector<std::wstring> texts;
  std::vector<COMDLG_FILTERSPEC> specs;
};
FileTypes TypesFrom(std::string_view filter) {
  FileTypes types;
  const std::vector<FilterPair> pairs = FilterPairs(filter);
  types.texts.reserve(pairs.size() * 2);  // no reallocation once the specs point into it
  for (const FilterPair& pair : pairs) {
    types.texts.push_back(Widened(pair.label));
    types.texts.push_back(Widened(pair.pattern));
  }
  for (std::size_t i = 0; i < types.texts.size(); i += 2)
    types.specs.push_back({types.texts[i].c_str(), types.texts[i + 1].c_str()});
  return types;
}

// Starts the dialog in the folder; a folder that does not exist leaves the choice to the system, as the hook
// dialogs do. A relative folder is taken from the working folder, which is read, never changed.
void StartIn(IFileDialog& dialog, const std::string& folder) {
  if (folder.empty()) return;
  const std::wstring wide = Widened(folder);
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return;
  full.resize(length);
  const auto item = win::TakeCom<IShellItem>([&](IShellItem** out) {
    return ::SHCreateItemFromParsingName(full.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(out));
  });
  if (item) dialog.SetFolder(item.get());
}

std::optional<std::wstring> PathOf(IShellItem* item) {
  PWSTR raw = nullptr;
  const HRESULT hr = item->GetDisplayName(SIGDN_FILESYSPATH, &raw);
  const win::UniqueCoTaskMem owner(raw);
  if (FAILED(hr) || raw == nullptr) return std::nullopt;
  return std::wstring(raw);
}

// The chosen paths in the dialog's order; nothing when one cannot be read.
std::optional<std::vector<std::wstring>> ChosenPaths(IFileDialog& dialog, Kind kind) {
  std::vector<std::wstring> paths;
  if (kind == Kind::Save) {
    const auto item = win::TakeCom<IShellItem>([&](IShellItem** out) { return dialog.GetResult(out); });
    if (!item) return std::nullopt;
    auto path = PathOf(item.get());
    if (!path) return std::nullopt;
    paths.push_back(std::move(*path));
    return paths;
  }
  const auto open = win::TakeCom<IFileOpenDialog>(
      [&](IFileOpenDialog** out) { return dialog.QueryInterface(IID_IFileOpenDialog, reinterpret_cast<void**>(out)); });
  if (!open) return std::nullopt;
  const auto items = win::TakeCom<IShellItemArray>([&](IShellItemArray** out) { return open.get()->GetResults(out); });
  DWORD count = 0;
  if (!items || FAILED(items.get()->GetCount(&count))) return std::nullopt;
  for (DWORD i = 0; i < count; ++i) {
    const auto item = win::TakeCom<IShellItem>([&](IShellItem** out) { return items.get()->GetItemAt(i, out); });
    if (!item) return std::nullopt;
    auto path = PathOf(item.get());
    if (!path) return std::nullopt;
    paths.push_back(std::move(*path));
  }
  return paths;
}

// The answer in the code page, or nothing when it has no form or does not fit. When a path has a character the
// code page lacks, every path comes in its short form where it has one (the hook dialogs give the short name too),
// so that the folder stays the same text for all; what has no short form (a name still to be saved) keeps '?' for
// such a character.
std::optional<std::string> AnswerOf(std::vector<std::wstring> paths, std::size_t capacity) {
  bool exact = true;
  for (const std::wstring& path : paths) exact = exact && host::ExactAnsi(path).has_value();
  if (!exact) {
    for (std::wstring& path : paths)
      if (auto short_path = host::ShortPathOf(path)) path = std::move(*short_path);
  }
  const auto joined = JoinItemPaths(paths);
  if (!joined) return std::nullopt;
  std::string answer = Narrowed(*joined);
  if (answer.empty() || answer.size() >= capacity) return std::nullopt;
  return answer;
}

RequestEnd RunItemDialog(const ItemRequest& request) {
  const bool save = request.kind == Kind::Save;
  const auto dialog = win::TakeCom<IFileDialog>([&](IFileDialog** out) {
    return ::CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileDialog, reinterpret_cast<void**>(out));
  });
  if (!dialog) return EndedAs(RequestStatus::NotShown);
  IFileDialog& file_dialog = *dialog.get();
  FILEOPENDIALOGOPTIONS options = save ? kSaveOptions : kOpenOptions;
  if (request.kind == Kind::OpenSeveral) options |= FOS_ALLOWMULTISELECT;
  if (FAILED(file_dialog.SetOptions(options))) return EndedAs(RequestStatus::NotShown);

  const FileTypes types = TypesFrom(request.filter);
  if (!types.specs.empty()) {
    file_dialog.SetFileTypes(static_cast<UINT>(types.specs.size()), types.specs.data());
    file_dialog.SetFileTypeIndex(1);  // one-based: the first pair is preselected
  }
  // An empty title leaves the system's ("Open", "Save As").
  if (!request.title.empty()) file_dialog.SetTitle(Widened(request.title).c_str());
  StartIn(file_dialog, request.initial_dir);

  PlacingEvents events(request.place);
  HRESULT shown = E_FAIL;
  {
    const Advice advice(&file_dialog, &events);
    shown = file_dialog.Show(nullptr);
  }
  // A cancel, or CloseDialog's posted IDCANCEL, ends it as ERROR_CANCELLED.
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return EndedAs(RequestStatus::Ended);
  if (FAILED(shown)) return EndedAs(RequestStatus::NotShown);
  auto paths = ChosenPaths(file_dialog, request.kind);
  auto answer = paths ? AnswerOf(std::move(*paths), save ? kSaveAnswerCapacity : kOpenAnswerCapacity) : std::nullopt;
  if (!answer) return EndedAs(RequestStatus::NotShown);
  return {RequestStatus::Answered, std::move(*answer), {}};
}

}  // namespace

DialogJob ChooseFileJob(std::string title, std::string filter, int multi) {
  return [request = ItemRequest{multi != 0 ? Kind::OpenSeveral : Kind::Open, std::move(title), std::move(filter)}] {
    return RunItemDialog(request);
  };
}

DialogJob SaveAsJob(std::string title, std::string filter) {
  return [request = ItemRequest{Kind::Save, std::move(title), std::move(filter)}] { return RunItemDialog(request); };
}

}  // namespace hostkit::dialogs
