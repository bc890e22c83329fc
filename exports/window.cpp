// Exported commands of the window, pointer, console, command line, message boxes, the shell, the clipboard and
// dropped files: each forwards to window/.
#include "exports/command.h"

#include <string>

#include "host/result.h"
#include "window/clipboard.h"
#include "window/console.h"
#include "window/file_drop.h"
#include "window/placement.h"
#include "window/pointer.h"
#include "window/requests.h"
#include "window/shell_open.h"

using namespace hostkit;
using exports::Export;

namespace {

// The names are forgotten only once the host has taken them: with a refused buffer they stay for the next read.
char* DroppedFilesResult() {
  const std::string names = window::DroppedFiles();
  char* result = host::TextResult(names);
  if (result != nullptr && (names.empty() || result[0] != '\0')) window::ForgetDroppedFiles(names.size());
  return result;
}

}  // namespace

extern "C" {

void hk_SetWindowStyle(long style) {
  Export<hk_SetWindowStyle>([&] { window::SetStyle(style); });
}
void hk_SetWindowExStyle(long ex_style) {
  Export<hk_SetWindowExStyle>([&] { window::SetExStyle(ex_style); });
}
void hk_SetWindowPosition(int x, int y, int after, int w, int h, int flags) {
  Export<hk_SetWindowPosition>([&] { window::SetPosition(x, y, after, w, h, flags); });
}
int hk_GetCursorX(int space) {
  return Export<hk_GetCursorX>([&] { return window::CursorX(space); });
}
int hk_GetCursorY(int space) {
  return Export<hk_GetCursorY>([&] { return window::CursorY(space); });
}
int hk_GetMouseButtons() {
  return Export<hk_GetMouseButtons>([] { return window::MouseButtons(); });
}
int hk_GetWindowX() {
  return Export<hk_GetWindowX>([] { return window::WindowLeft(); });
}
int hk_GetWindowY() {
  return Export<hk_GetWindowY>([] { return window::WindowTop(); });
}

void hk_OpenConsole() {
  Export<hk_OpenConsole>([] { window::OpenConsole(); });
}
void hk_ConsoleWrite(const char* text) {
  Export<hk_ConsoleWrite>([&] { window::ConsoleWrite(text); });
}
void hk_ConsoleCommand(const char* command) {
  Export<hk_ConsoleCommand>([&] { window::ConsoleCommand(command); });
}
char* hk_GetCL() {
  return Export<hk_GetCL>([] { return window::CommandLine(); });
}

// One message box behind four argument lists: the flags of the longer ones are or-ed together.
int hk_Request_2(const char* text, const char* caption) {
  return Export<hk_Request_2>([&] { return window::Request(Arg(text), Arg(caption), 0); });
}
int hk_Request_3(const char* text, const char* caption, int flags) {
  return Export<hk_Request_3>([&] { return window::Request(Arg(text), Arg(caption), flags); });
}
int hk_Request_4(const char* text, const char* caption, int a, int b) {
  return Export<hk_Request_4>([&] { return window::Request(Arg(text), Arg(caption), a | b); });
}
int hk_Request_5(const char* text, const char* caption, int a, int b, int c) {
  return Export<hk_Request_5>([&] { return window::Request(Arg(text), Arg(caption), a | b | c); });
}

int hk_ShellOpen(const char* target, const char* parameters) {
  return Export<hk_ShellOpen>([&] { return window::ShellOpen(Arg(target), Arg(parameters)); });
}
char* hk_GetClipboardText() {
  return Export<hk_GetClipboardText>([] { return window::ClipboardText(); });
}
int hk_SetClipboardText(const char* text) {
  return Export<hk_SetClipboardText>([&] { return window::SetClipboardText(Arg(text)); });
}
void hk_EnableFileDrop(int on) {
  Export<hk_EnableFileDrop>([=] { window::EnableFileDrop(on); });
}
char* hk_GetDroppedFiles() {
  return Export<hk_GetDroppedFiles>([] { return DroppedFilesResult(); });
}

}  // extern "C"
