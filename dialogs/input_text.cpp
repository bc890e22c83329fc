// The text dialog: a prompt, a one-line edit field and OK and Cancel, built from an in-memory template in the
// system's dialog font and laid out in WM_INITDIALOG to fit the prompt.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/byte_cut.h"
#include "dialogs/dialog_job.h"
#include "dialogs/dialogs.h"
#include "dialogs/win32_dialog.h"
#include "host/host_window.h"

namespace hostkit::dialogs {
namespace {

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

constexpr int kHidden = 1;      // a password field
constexpr int kDigitsOnly = 2;  // typed and pasted characters other than 0-9 are dropped
constexpr int kNeedsText = 4;   // OK stays disabled while the field is empty

// The answer's limit in bytes; a longer default text is cut to it. The edit field's own limit counts characters,
// which under a double-byte code page hold up to twice as many bytes: the text is cut in bytes as well, at a
// character boundary.
constexpr std::size_t kMaxAnswer = 32767;

// Layout in dialog units: margins, the prompt's width, the edit field's and the buttons' sizes.
constexpr int kMargin = 7, kGap = 4, kPromptWidth = 220, kEditHeight = 14, kButtonWidth = 50, kButtonHeight = 14;

struct InputRun {
  std::string title, prompt, text;
  int flags = 0;
  Placement place;
  std::string answer;
};

// The template's words: DLGTEMPLATE and each DLGITEMTEMPLATE start DWORD-aligned; every string is UTF-16, even
// for the A call. The texts are set in WM_INITDIALOG (as ANSI, so they pass through the code page as the other
// commands' do) and the rectangles there too, so the template holds none.
class TemplateWriter {
 public:
  void Align() {
    while (words_.size() % 2 != 0) words_.push_back(0);
  }
  void Dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Word(WORD value) { words_.push_back(value); }
  void Text(const wchar_t* text) {
    for (; *text != L'\0'; ++text) words_.push_back(static_cast<WORD>(*text));
    words_.push_back(0);
  }
  void Item(DWORD style, WORD id, WORD class_atom) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);                             // extended style
    for (int i = 0; i < 4; ++i) Word(0);  // x, y, cx, cy: set when the prompt is measured
    Word(id);
    Word(0xFFFF);  // a predefined class by atom
    Word(class_atom);
    Word(0);  // no text
    Word(0);  // no creation data
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;

std::vector<WORD> BuildTemplate(int flags) {
  TemplateWriter t;
  t.Dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(WS_EX_TOPMOST);
  t.Word(4);  // items
  for (int i = 0; i < 4; ++i) t.Word(0);
  t.Word(0);  // no menu
  t.Word(0);  // the standard dialog class
  t.Word(0);  // the title comes later
  t.Word(8);  // point size
  t.Text(L"MS Shell Dlg");
  t.Item(SS_LEFT | SS_NOPREFIX, kPromptId, kStaticAtom);
  DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  if ((flags & kHidden) != 0) edit |= ES_PASSWORD;
  if ((flags & kDigitsOnly) != 0) edit |= ES_NUMBER;
  t.Item(edit, kEditId, kEditAtom);
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kButtonAtom);
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, kButtonAtom);
  return t.Take();
}

std::string TextOf(HWND window) {
  // GetWindowTextLengthA may count more than GetWindowTextA then copies (never fewer); the copy counts without
  // the terminator.
  std::string text(static_cast<std::size_t>(std::max(0, ::GetWindowTextLengthA(window))) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(std::max(0, ::GetWindowTextA(window, text.data(), static_cast<int>(text.size())))));
  return text;
}

// The bytes that start a double-byte character in the code page the A calls convert with.
const LeadBytes& CodePageLeads() {
  static const LeadBytes lead = [] {
    LeadBytes bytes{};
    for (std::size_t b = 0; b < bytes.size(); ++b) bytes[b] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
    return bytes;
  }();
  return lead;
}

std::string CutToAnswer(std::string text) {
  text.resize(CutLength(text, kMaxAnswer, CodePageLeads()));
  return text;
}

InputRun* RunOf(HWND dialog) { return reinterpret_cast<InputRun*>(::GetWindowLongPtrA(dialog, DWLP_USER)); }

// The prompt's height in pixels for the given width, wrapped on words, in the dialog's font.
int PromptHeight(HWND dialog, const std::string& prompt, int width) {
  const HWND control = ::GetDlgItem(dialog, kPromptId);
  const HDC dc = ::GetDC(control);
  if (dc == nullptr) return 0;
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  ::DrawTextA(dc, prompt.c_str(), static_cast<int>(prompt.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return r.bottom - r.top;
}

// Sizes the dialog to its prompt and places every control.
void Lay(HWND dialog, const InputRun& run) {
  RECT units{kMargin, kGap, kPromptWidth, kEditHeight};
  ::MapDialogRect(dialog, &units);
  RECT button{kButtonWidth, kButtonHeight, 0, 0};
  ::MapDialogRect(dialog, &button);
  const int margin = units.left, gap = units.top, width = units.right, edit_height = units.bottom;
  const int prompt_height = run.prompt.empty() ? 0 : PromptHeight(dialog, run.prompt, width);
  int y = margin;
  ::MoveWindow(::GetDlgItem(dialog, kPromptId), margin, y, width, prompt_height, FALSE);
  y += prompt_height + (prompt_height > 0 ? gap : 0);
  ::MoveWindow(::GetDlgItem(dialog, kEditId), margin, y, width, edit_height, FALSE);
  y += edit_height + margin;
  const int cancel_x = margin + width - button.left;
  ::MoveWindow(::GetDlgItem(dialog, IDCANCEL), cancel_x, y, button.left, button.top, FALSE);
  ::MoveWindow(::GetDlgItem(dialog, IDOK), cancel_x - gap - button.left, y, button.left, button.top, FALSE);
  RECT outer{0, 0, margin + width + margin, y + button.top + margin};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongA(dialog, GWL_EXSTYLE)));
  ::SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Drops what is not a digit (ES_NUMBER stops typing only, not a paste), keeping the caret at the end.
void KeepDigits(HWND edit) {
  const std::string text = TextOf(edit);
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c >= '0' && c <= '9'; });
  if (digits == text) return;
  ::SetWindowTextA(edit, digits.c_str());
  ::SendMessageA(edit, EM_SETSEL, digits.size(), digits.size());
}

// Cuts the field's text to the answer's bytes, keeping the caret at the end: what the player sees is what OK gives.
void KeepToAnswer(HWND edit) {
  if (static_cast<std::size_t>(std::max(0, ::GetWindowTextLengthA(edit))) <= kMaxAnswer) return;
  const std::string text = TextOf(edit);
  const std::string kept = CutToAnswer(text);
  if (kept == text) return;
  ::SetWindowTextA(edit, kept.c_str());
  ::SendMessageA(edit, EM_SETSEL, kept.size(), kept.size());
}

void UpdateOk(HWND dialog, const InputRun& run) {
  if ((run.flags & kNeedsText) != 0)
    ::EnableWindow(::GetDlgItem(dialog, IDOK), ::GetWindowTextLengthA(::GetDlgItem(dialog, kEditId)) > 0);
}

INT_PTR CALLBACK InputTextProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guard(
      [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
          auto& run = *reinterpret_cast<InputRun*>(lparam);
          ::SetWindowLongPtrA(dialog, DWLP_USER, lparam);
          ::SetWindowTextA(dialog, run.title.c_str());
          ::SetDlgItemTextA(dialog, kPromptId, run.prompt.c_str());
          ::SetDlgItemTextA(dialog, IDOK, "OK");
          ::SetDlgItemTextA(dialog, IDCANCEL, "Cancel");
          const HWND edit = ::GetDlgItem(dialog, kEditId);
          ::SendMessageA(edit, EM_LIMITTEXT, kMaxAnswer, 0);
          ::SetWindowTextA(edit, run.text.c_str());
          if ((run.flags & kDigitsOnly) != 0) KeepDigits(edit);
          UpdateOk(dialog, run);
          Lay(dialog, run);
          PlaceDialogAt(dialog, run.place.frame, run.place.at);
          ::SendMessageA(edit, EM_SETSEL, 0, -1);
          ::SetFocus(edit);
          return FALSE;  // the focus is set already
        }
        InputRun* run = RunOf(dialog);
        if (run == nullptr || message != WM_COMMAND) return FALSE;
        const HWND edit = ::GetDlgItem(dialog, kEditId);
        switch (LOWORD(wparam)) {
          case kEditId:
            if (HIWORD(wparam) == EN_CHANGE) {
              if ((run->flags & kDigitsOnly) != 0) KeepDigits(edit);
              KeepToAnswer(edit);
              UpdateOk(dialog, *run);
            }
            return TRUE;
          case IDOK:
            // Enter reaches here even while OK is disabled.
            if (!::IsWindowEnabled(::GetDlgItem(dialog, IDOK))) return TRUE;
            run->answer = CutToAnswer(TextOf(edit));
            ::EndDialog(dialog, IDOK);
            return TRUE;
          case IDCANCEL:  // Cancel, Esc and the close box
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
      },
      INT_PTR{FALSE});
}

}  // namespace

DialogJob InputTextJob(std::string title, std::string prompt, std::string text, int flags, DialogHost host) {
  text = CutToAnswer(std::move(text));
  return [run = InputRun{std::move(title), std::move(prompt), std::move(text), flags, PlacementNow(host.frame), {}},
          owner = host.owner]() mutable {
    const std::vector<WORD> words = BuildTemplate(run.flags);
    const INT_PTR result = ::DialogBoxIndirectParamA(nullptr, reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                                     &InputTextProc, reinterpret_cast<LPARAM>(&run));
    if (result == IDOK) return RequestEnd{RequestStatus::Answered, std::move(run.answer), {}};
    return RequestEnd{result == -1 || result == 0 ? RequestStatus::NotShown : RequestStatus::Ended, {}, {}};
  };
}

std::string InputText(const char* title, const char* prompt, const char* text, int flags) {
  const HWND host = host::FindHostWindow();
  return InputTextJob(title, prompt, text, flags, {host, host})().answer;
}

}  // namespace hostkit::dialogs
