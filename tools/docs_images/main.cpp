// Takes the pictures of the dialogs for docs/commands.md: opens each dialog through the host double, copies its
// window from the screen into a 24-bit BMP in the folder given as the only argument, and cancels it.
// `make docs-images` runs it under Xvfb and turns the BMPs into PNGs.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

bool SaveWindowPicture(HWND window, const std::string& path) {
  const RECT r = e2e::WindowRect(window);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up rows, as a BMP file stores them
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap =
      CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + size;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
      ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
           std::fwrite(bits, size, 1, out) == 1;
      ok = std::fclose(out) == 0 && ok;
    }
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

struct Shot {
  const char* file;
  const char* window_class;
  std::function<void(hostrun::HostDouble&)> open;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: docs_images OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  hostrun::HostDouble& host = e2e::Host();
  const e2e::TempDir samples;
  for (const char* name : {"notes.txt", "report.txt", "picture.png"}) e2e::WriteTextFile(samples / name, "x");
  host.Run("SetInitialDir", samples.path());
  host.Run("SetDialogPosition", 20, 20);
  host.Run("SetCustomColor", 0, 0x0000FF00);
  host.Run("SetCustomColor", 1, 0x00FF8000);
  e2e::ListFoldersOnPath(samples.path());
  const Shot shots[] = {
      {"open-dialog", "#32770",
       [](auto& h) { h.Str("ChooseFileDialog", "Open a file", "Text|*.txt|All files|*.*", 1); }},
      {"save-dialog", "#32770", [](auto& h) { h.Str("SaveAsDialog", "Save as", "Text|*.txt|All files|*.*"); }},
      {"folder-dialog", "#32770", [&](auto& h) { h.Str("BrowseFolderDialog", "Choose a folder", samples.path()); }},
      {"color-dialog", "#32770", [](auto& h) { h.Int("OpenColorDialog", 0x000080FF); }},
      {"date-time-picker", "DateTimeDlg", [](auto& h) { h.Int("OpenDateTimePicker", ""); }},
      {"text-dialog", "#32770",
       [](auto& h) { h.Str("InputText", "Player", "Your name, as the other players will see it:", "Ada", 4); }},
  };
  int failures = 0;
  for (const Shot& shot : shots) {
    bool saved = false;
    e2e::WithHelper(
        [&] {
          const HWND dialog = e2e::WaitForDialog(e2e::OfClass(shot.window_class));
          if (dialog == nullptr) return;
          Sleep(400);  // let every control paint
          e2e::WaitUntilIdle(dialog);
          saved = SaveWindowPicture(dialog, folder + "/" + shot.file + ".bmp");
          e2e::PressButton(dialog, IDCANCEL);
        },
        [&] { shot.open(host); });
    std::printf("%s %s\n", shot.file, saved ? "saved" : "FAILED");
    failures += saved ? 0 : 1;
  }
  return failures == 0 ? 0 : 1;
}
