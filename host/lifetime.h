#pragma once
// What keeps the host process whole around the library: the module stays mapped once the platform holds
// addresses inside it, and console break events do not end the host.
namespace hostkit::host {

// Keeps this module loaded for the life of the process, whatever FreeLibrary calls the host makes later.
// Called before anything pointing into the module (a window procedure, a window class, a console handler) is
// handed to the platform; the pin is taken once.
void PinModule() noexcept;

// Lets Ctrl+C and Ctrl+Break pass without ending the host once a console exists. Programs that the host starts
// in the console still receive both events and end as usual. Installed once.
void SurviveConsoleBreaks() noexcept;

}  // namespace hostkit::host
