// How browsers without DDE are told to open an address: on their command lines, which a
// running browser's new process hands to the running one.
#pragma once
#include <string>
#include <string_view>

#include "browser/browser_kind.h"

namespace perchlet {

enum class CommandLineDialect {
    None,      // the kind is reached by DDE, typed keys or its own rules
    Chromium,  // ADDRESS opens a tab in the last used window; --new-window ADDRESS a window
    Firefox,   // -new-tab ADDRESS, -new-window ADDRESS
};

// Chromium kinds always; Opera and Firefox when they serve no DDE (today's versions).
CommandLineDialect commandLineDialect(int kind, bool servesDde);

// Whether the open mode's style asks the browser for a window of its own.
inline bool wantsNewWindow(LaunchStyle style) {
    return style == LaunchStyle::NewWindow || style == LaunchStyle::PlacedWindow;
}

// The command line for the style: reuse and tab open a tab in the browser's last window.
std::string dialectCommandLine(CommandLineDialect dialect, std::string_view browserPath, std::string_view address,
                               LaunchStyle style);

// A browser reads an argument that starts like a switch as one ("--flag", "-flag", and
// "/flag" on Windows), so such an address cannot be handed over on a command line.
bool looksLikeSwitch(std::string_view address);

}  // namespace perchlet
