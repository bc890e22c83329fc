#pragma once
// The clipboard's text (Win32 layer). The clipboard is shared with every program of the desktop: opening it
// is retried for a quarter of a second while another program holds it (any other failure is final), and it is
// closed on every path. It needs no host window: the library's own message-only window opens it.
#include <cstdint>
#include <string>

namespace hostkit::window {

inline constexpr std::uint32_t kClipboardRetryMs = 250;
inline constexpr std::uint32_t kClipboardRetryStepMs = 10;

// The CF_UNICODETEXT text in the ANSI code page (else the CF_TEXT text), read within its memory block's size;
// "" without text or when the clipboard stays held.
std::string ClipboardText();

// Empties the clipboard and puts the text on it as CF_UNICODETEXT (from the ANSI code page) and as CF_TEXT.
// 0, or the code of the failed call.
int SetClipboardText(const char* text);

}  // namespace hostkit::window
