// Exported commands of the window, pointer, console, command line and message boxes: each forwards to window/
// behind the boundary guard.
#include "host/boundary.h"
#include "window/console.h"
#include "window/placement.h"
#include "window/pointer.h"
#include "window/requests.h"

using namespace hostkit;

extern "C" {

void hk_SetWindowStyle(long style) { GuardVoid([&] { window::SetStyle(style); }); }
void hk_SetWindowExStyle(long ex_style) { GuardVoid([&] { window::SetExStyle(ex_style); }); }
void hk_SetWindowPosition(int x, int y, int after, int w, int h, int flags) {
  GuardVoid([&] { window::SetPosition(x, y, after, w, h, flags); });
}
int hk_GetCursorX(int space) { return GuardInt(-1, [&] { return window::CursorX(space); }); }
int hk_GetCursorY(int space) { return GuardInt(-1, [&] { return window::CursorY(space); }); }
int hk_GetMouseButtons() { return GuardInt(0, [] { return window::MouseButtons(); }); }
int hk_GetWindowX() { return GuardInt(-1, [] { return window::WindowLeft(); }); }
int hk_GetWindowY() { return GuardInt(-1, [] { return window::WindowTop(); }); }

void hk_OpenConsole() { GuardVoid([] { window::OpenConsole(); }); }
void hk_ConsoleWrite(const char* text) { GuardVoid([&] { window::ConsoleWrite(text); }); }
void hk_ConsoleCommand(const char* command) { GuardVoid([&] { window::ConsoleCommand(command); }); }
char* hk_GetCL() { return GuardString([] { return window::CommandLineResult(); }); }

int hk_Request_2(const char* text, const char* caption) {
  return GuardInt(0, [&] { return window::Request(Arg(text), Arg(caption), 0); });
}
int hk_Request_3(const char* text, const char* caption, int flags) {
  return GuardInt(0, [&] { return window::Request(Arg(text), Arg(caption), flags); });
}
int hk_Request_4(const char* text, const char* caption, int a, int b) {
  return GuardInt(0, [&] { return window::Request(Arg(text), Arg(caption), a | b); });
}
int hk_Request_5(const char* text, const char* caption, int a, int b, int c) {
  return GuardInt(0, [&] { return window::Request(Arg(text), Arg(caption), a | b | c); });
}

}  // extern "C"
