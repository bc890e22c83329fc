#pragma once
// Which bytes are the two cases of one letter, for the "i" flag. ASCII letters always; bytes 0x80 to 0xFF as the
// system's ANSI code page folds them (under code page 1252 é and É, š and Š, ÿ and Ÿ), read once from the platform:
// the C locale, which the engine's traits use otherwise, knows no letters there. In the native build there is no
// code page, and the table is the C locale's (ASCII only).
namespace hostkit::regex {

struct CaseFold {
  // Each byte's lower and upper case, and the other case of the pair it belongs to; a byte outside every pair maps
  // to itself in all three.
  unsigned char lower[256];
  unsigned char upper[256];
  unsigned char other[256];
};

// Made at the first call, safely from any thread.
const CaseFold& CodePageFold();

}  // namespace hostkit::regex
