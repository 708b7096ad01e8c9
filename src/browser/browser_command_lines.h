// How browsers without DDE are told to open an address: on their command lines, which a
// running browser's new process hands to the running one.
#pragma once
#include <string>
#include <string_view>

#include "browser/browser_kind.h"

namespace perchlet {

enum class CommandLineDialect {
    None,      // the kind is reached by DDE, typed keys or its own rules
    Chromium,  // --single-argument ADDRESS opens a tab in the last used window; --new-window before it a window
    Firefox,   // -osint -url ADDRESS opens a tab; -new-window ADDRESS a window
};

// Chromium kinds always; Opera and Firefox when they serve no DDE (today's versions).
CommandLineDialect commandLineDialect(BrowserKind kind, bool servesDde);

// Whether the open mode's style asks the browser for a window of its own.
inline bool wantsNewWindow(LaunchStyle style) {
    return style == LaunchStyle::NewWindow || style == LaunchStyle::PlacedWindow;
}

// The command line for the style: reuse and tab open a tab in the browser's last window.
// The address goes where the browser's own registration puts it: after Chromium's
// "--single-argument", which makes the rest of the line one address, and after Firefox's
// "-osint -url", which Firefox accepts with nothing else beside it, so a window is asked
// for with "-new-window" instead.
std::string dialectCommandLine(CommandLineDialect dialect, std::string_view browserPath, std::string_view address,
                               LaunchStyle style);

// A browser reads an argument that starts like a switch as one ("--flag", "-flag", and
// "/flag" on Windows), after trimming Unicode white space and C0 controls from it, as
// Chromium does; such an address cannot be handed over on a command line.
bool looksLikeSwitch(std::u16string_view address);
// The same for the program's Shift-JIS text, as it reaches the command line.
bool looksLikeSwitch(std::string_view address);

// The arguments of a registered open command (registeredArguments of settings.h) with the address in place of "%1" (or "%L"); without either, the address
// is added at the end. Quotes around the place stay and hold the address as it is.
std::string withRegisteredArguments(std::string_view browserPath, std::string_view arguments,
                                    std::string_view address);

}  // namespace perchlet
