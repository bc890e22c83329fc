// Every example of docs/commands.md runs through the host double as a scripter would type it, one hostrun process
// per entry, and prints what the entry shows. The reading rule is the one docs/commands.md states at its top.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/win_handle.h"
#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/process.h"
#include "tests/e2e/harness/window_driver.h"

namespace {

// One entry's example: the script lines and the lines they print, in order.
struct Example {
  std::string entry;  // the heading it stands under
  int line = 0;       // of its first example line in docs/commands.md
  std::string script;
  std::vector<std::string> printed;
};

void PrintTo(const Example& e, std::ostream* out) { *out << e.entry; }

constexpr const char* kAnyLine = "<any>";

// The commands of the index ("| [`Name`](#...") and the host double's own `Frames`.
std::set<std::string> CommandNames(const std::vector<std::string>& lines) {
  std::set<std::string> names{"Frames"};
  for (const std::string& l : lines)
    if (l.rfind("| [`", 0) == 0) names.insert(l.substr(4, l.find('`', 4) - 4));
  return names;
}

// In each entry's indented lines: a line that starts with a command's name or "#" is a script line; every other
// one is a line printed by the script lines above it (a line of spaces only: an empty printed line).
std::vector<Example> ReadExamples(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream file(path, std::ios::binary);
  for (std::string l; std::getline(file, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  const std::set<std::string> names = CommandNames(lines);
  std::vector<Example> examples;
  std::string entry;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.rfind("## ", 0) == 0 || l.rfind("### ", 0) == 0 || l.rfind("#### ", 0) == 0) {
      entry = l.substr(l.find(' ') + 1);
      continue;
    }
    if (l.rfind("    ", 0) != 0) continue;
    if (examples.empty() || examples.back().entry != entry)
      examples.push_back({entry, static_cast<int>(i + 1), {}, {}});
    Example& e = examples.back();
    const std::string text = l.substr(4);
    const std::string word = text.substr(0, text.find(' '));
    if (text.find_first_not_of(' ') == std::string::npos)
      e.printed.emplace_back();
    else if (text[0] == '#' || names.count(word) != 0)
      e.script += text + "\n";
    else
      e.printed.push_back(text);
  }
  return examples;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

bool SameLines(const std::vector<std::string>& shown, const std::vector<std::string>& printed) {
  if (shown.size() != printed.size()) return false;
  for (std::size_t i = 0; i < shown.size(); ++i)
    if (shown[i] != kAnyLine && shown[i] != printed[i]) return false;
  return true;
}

// --- the person at the machine: what an entry's dialogs need, done from this process to hostrun's windows ---

const char* const kTour = "C:\\hostkit-tour";

// The process of the hostrun that is running now: the owner of the host window that is not this process's.
BOOL CALLBACK NoteHostrunWindow(HWND window, LPARAM found) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (std::strcmp(name, "OPENGLWINDOW") != 0 || pid == GetCurrentProcessId()) return TRUE;
  *reinterpret_cast<DWORD*>(found) = pid;
  return FALSE;
}

DWORD HostrunProcess() {
  DWORD found = 0;
  for (const DWORD start = GetTickCount(); found == 0 && GetTickCount() - start < 20000; Sleep(20))
    EnumWindows(&NoteHostrunWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits for hostrun's dialog of that class (and title, when given) until it is ready for input.
HWND HostrunDialog(const char* class_name, const char* title = nullptr) {
  e2e::WindowQuery query;
  query.process = HostrunProcess();
  query.class_name = class_name;
  if (title != nullptr) query.title = title;
  const HWND dialog = e2e::WaitForDialog(query, 20000);
  EXPECT_NE(dialog, nullptr) << "no dialog " << class_name << " " << (title != nullptr ? title : "");
  return dialog;
}

// A person who answers a dialog with a button, after `think_ms` (a request's first status is read as open).
std::function<void()> Presses(const char* class_name, const char* title, int button, DWORD think_ms = 0) {
  return [=] {
    if (const HWND dialog = HostrunDialog(class_name, title)) {
      Sleep(think_ms);
      e2e::PressButton(dialog, button);
    }
  };
}

// A person who types into a field of a dialog and confirms.
std::function<void()> Types(const char* title, int field, const char* text) {
  return [=] {
    if (const HWND dialog = HostrunDialog("#32770", title)) {
      e2e::SetControlText(dialog, field, text);
      e2e::PressButton(dialog, IDOK);
    }
  };
}

// Memory in hostrun's process holding `bytes`: messages past WM_USER and drop handles carry pointers that no
// process boundary translates. Left to hostrun, which ends after the entry.
void* CopyIntoProcess(DWORD pid, const void* bytes, std::size_t size) {
  hostkit::win::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
  void* remote = VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  EXPECT_NE(remote, nullptr);
  if (remote != nullptr) {
    EXPECT_TRUE(WriteProcessMemory(process.get(), remote, bytes, size, nullptr));
  }
  return remote;
}

// Picks Friday 15 March 2024, 14:05:09 in the date and time picker, and presses Ok.
void PicksTheIdesOfMarch() {
  const HWND picker = HostrunDialog("DateTimeDlg", "When?");
  if (picker == nullptr) return;
  DWORD pid = 0;
  GetWindowThreadProcessId(picker, &pid);
  SYSTEMTIME moment{2024, 3, 5, 15, 14, 5, 9, 0};
  void* remote = CopyIntoProcess(pid, &moment, sizeof moment);
  SendMessageA(GetDlgItem(picker, 3), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(remote));
  SendMessageA(GetDlgItem(picker, 4), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(remote));
  e2e::PressButton(picker, IDOK);
}

// Drops a file and a folder from the desktop on the host window once it accepts drops.
void DropsTwoNames() {
  const DWORD pid = HostrunProcess();
  e2e::WindowQuery query;
  query.process = pid;
  query.class_name = "OPENGLWINDOW";
  query.visible = false;
  const HWND host = e2e::WaitForWindow(query, 20000);
  ASSERT_NE(host, nullptr);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(10))
    if (GetWindowLongA(host, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) break;
  const char names[] = "C:\\users\\player\\Desktop\\level5.map\0C:\\users\\player\\Desktop\\skins\0";
  std::vector<char> block(sizeof(DROPFILES) + sizeof names);
  auto* drop = reinterpret_cast<DROPFILES*>(block.data());
  drop->pFiles = sizeof(DROPFILES);
  std::memcpy(block.data() + sizeof(DROPFILES), names, sizeof names);
  PostMessageA(host, WM_DROPFILES, reinterpret_cast<WPARAM>(CopyIntoProcess(pid, block.data(), block.size())), 0);
}

// A program for .txt files, for a prefix that has none (Wine's prefix here has none, and ShellOpen answers 1155):
// the tests' shell probe, which writes its command line to "<file>.seen" and ends. Under HKEY_CLASSES_ROOT, which
// Wine 8's shell reads (not HKCU\Software\Classes); taken away again by ForgetTextFiles.
bool g_registered_text_files = false;

void SetClassDefault(const std::string& key, const std::string& value) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(opened);
}

void RegisterTextFiles() {
  HKEY existing = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
    RegCloseKey(existing);
    return;
  }
  g_registered_text_files = true;
  SetClassDefault(".txt", "hostkit.docs.txt");
  SetClassDefault("hostkit.docs.txt\\shell\\open\\command", "\"" + e2e::BinDirectory() + "shell_probe.exe\" \"%1\"");
}

// Waits until the program has seen the file (it was started), then takes the registration away.
void ForgetTextFiles() {
  if (!g_registered_text_files) return;
  bool seen = false;
  for (const DWORD start = GetTickCount(); !seen && GetTickCount() - start < 30000; Sleep(20))
    seen = GetFileAttributesA("C:\\hostkit-tour\\save1.txt.seen") != INVALID_FILE_ATTRIBUTES;
  EXPECT_TRUE(seen) << "ShellOpen started no program for the .txt file";
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "hostkit.docs.txt");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".txt");
  g_registered_text_files = false;
}

// What an entry needs around its run. tour: the items C:\hostkit-tour holds before it ("name" a file of one
// byte last written on 15 March 2024 at 14:05:09 UTC, "name\" a folder, "" the empty folder; null: no such
// folder), removed again afterwards. before, after: other set-up and its undoing. person: answers the entry's
// dialogs while it runs.
struct EntrySetup {
  const char* entry;
  const char* tour;
  std::function<void()> person;
  std::function<void()> before = nullptr;
  std::function<void()> after = nullptr;
};

const std::vector<EntrySetup>& Setups() {
  static const std::vector<EntrySetup> setups = {
      {"Request", nullptr, Presses("#32770", "Quit", IDYES)},
      {"ShellOpen", "save1.txt", nullptr, RegisterTextFiles, ForgetTextFiles},
      {"EnableFileDrop, GetDroppedFiles", nullptr, DropsTwoNames},
      {"DeleteFolder", "", nullptr},
      {"FileCopy", "a.txt", nullptr},
      {"FileMove, FolderMove", "sub\\", nullptr},
      {"FileDelete", "b.txt", nullptr},
      {"FileRecycle", "old.txt|game\\", nullptr},
      {"GetFirstFile, GetNextFile, GetFirstFolder, GetNextFolder", "a.txt|sub\\", nullptr},
      {"GetCurrentFileAttributes", "a.txt|sub\\", nullptr},
      {"GetCurrentFileCreationDate, GetCurrentFileLastAccessDate, GetCurrentFileLastWriteDate", "a.txt", nullptr},
      {"GetCurrentFileCreationTime, GetCurrentFileLastAccessTime, GetCurrentFileLastWriteTime", "a.txt", nullptr},
      {"GetCurrentFileSizeLow, GetCurrentFileSizeHigh", "a.txt", nullptr},
      {"GetCurrentFileSizeAsHexString, GetCurrentFileSizeAsString", "a.txt", nullptr},
      {"ChooseFileDialog", "a.txt|b.txt", Types("Open a file", 0x47C, "\"a.txt\" \"b.txt\"")},
      {"SaveAsDialog", "", Types("Save as", 0x47C, "notes")},
      {"BrowseFolderDialog", "saves\\", Presses("#32770", nullptr, IDOK)},
      {"OpenColorDialog", nullptr, Presses("#32770", nullptr, IDOK)},
      {"OpenDateTimePicker", nullptr, PicksTheIdesOfMarch},
      {"GetDateYear, GetDateMonth, GetDateDay, GetDateDayOfWeek, GetDateHour, GetDateMinute, GetDateSecond", nullptr,
       PicksTheIdesOfMarch},
      {"GetDateString, GetTimeString", nullptr, PicksTheIdesOfMarch},
      {"Dialogs that let the game run", nullptr, Presses("#32770", "Player", IDOK, 300)},
      {"ChooseFileDialogAsync, SaveAsDialogAsync, BrowseFolderDialogAsync, OpenColorDialogAsync, "
       "OpenDateTimePickerAsync, RequestAsync",
       nullptr, Presses("#32770", nullptr, IDOK, 300)},
      {"InputText, InputTextAsync", nullptr, Types("Seed", 101, "12345")},
      {"GetDialogResult", nullptr, Presses("#32770", "Quit", IDYES, 300)},
  };
  return setups;
}

void RemoveTour() {
  SHFILEOPSTRUCTA op{};
  const char from[] = "C:\\hostkit-tour\0";
  op.wFunc = FO_DELETE;
  op.pFrom = from;
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  if (GetFileAttributesA(kTour) != INVALID_FILE_ATTRIBUTES) SHFileOperationA(&op);
  ASSERT_EQ(GetFileAttributesA(kTour), INVALID_FILE_ATTRIBUTES);
}

void MakeTour(const std::string& items) {
  ASSERT_TRUE(CreateDirectoryA(kTour, nullptr));
  std::size_t start = 0;
  while (start < items.size()) {
    const std::size_t bar = items.find('|', start);
    const std::string item = items.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    start = bar == std::string::npos ? items.size() : bar + 1;
    const std::string path = std::string(kTour) + "\\" + item;
    if (item.back() == '\\') {
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
      e2e::ListFoldersOnPath(path.substr(0, path.size() - 1));  // the folder browser preselects it
      continue;
    }
    e2e::WriteTextFile(path, "x");
    hostkit::win::UniqueHandle file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const SYSTEMTIME written{2024, 3, 5, 15, 14, 5, 9, 0};
    FILETIME stamp{};
    SystemTimeToFileTime(&written, &stamp);
    EXPECT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &stamp)) << path;
  }
}

const std::vector<Example>& Examples() {
  static const std::vector<Example> examples = ReadExamples(HOSTKIT_REFERENCE);
  return examples;
}

// The reference was read, and every set-up row names an entry that has an example.
TEST(DocsExamples, TheSetUpNamesEntriesOfTheReference) {
  ASSERT_GT(Examples().size(), 60u) << "cannot read " << HOSTKIT_REFERENCE;
  for (const EntrySetup& s : Setups()) {
    bool found = false;
    for (const Example& e : Examples()) found = found || e.entry == s.entry;
    EXPECT_TRUE(found) << "the set-up names no entry with an example: " << s.entry;
  }
}

class DocsExample : public testing::TestWithParam<Example> {};

// One test per entry (named after its heading up to the first comma), in a process of its own like every Wine test.
TEST_P(DocsExample, PrintsWhatItsEntryShows) {
  const Example& e = GetParam();
  SCOPED_TRACE("docs/commands.md:" + std::to_string(e.line) + " " + e.entry);
  const EntrySetup* setup = nullptr;
  for (const EntrySetup& s : Setups())
    if (e.entry == s.entry) setup = &s;
  // Relative paths of an example that forgets to choose its own working folder stay out of the build.
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\users"));
  RemoveTour();
  if (setup != nullptr && setup->tour != nullptr) MakeTour(setup->tour);
  if (setup != nullptr && setup->before) setup->before();
  e2e::ProcessResult run;
  const auto body = [&] { run = e2e::RunHostrun("-", e.script); };
  if (setup != nullptr && setup->person)
    e2e::WithHelper(setup->person, body, 90000);
  else
    body();
  if (setup != nullptr && setup->after) setup->after();
  RemoveTour();
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(SameLines(e.printed, Lines(run.out))) << "script:\n"
                                                    << e.script << "printed:\n"
                                                    << run.out << "the entry shows:\n"
                                                    << testing::PrintToString(e.printed);
}

std::string TestName(const testing::TestParamInfo<Example>& info) {
  std::string name;
  for (const char c : info.param.entry.substr(0, info.param.entry.find(',')))
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Reference, DocsExample, testing::ValuesIn(Examples()), TestName);

}  // namespace
