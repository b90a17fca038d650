// Making Zel the desktop's web browser, and giving the handling back. Every default it
// replaces is first saved in section DEFBROWSER of config.ini under the type's own name
// ("x-scheme-handler/http=firefox-esr.desktop"), so that giving back restores it.
#pragma once

#include <span>
#include <string>

#include "base/text.h"
#include "platform/association_port.h"

namespace zel {

inline constexpr char kZelDesktopId[] = "zel.desktop";
inline constexpr char16_t kDefBrowserSection[] = u"DEFBROWSER";

// The types Zel takes, in the order they are set: web addresses, pages, and (as other
// desktop browsers do) about: addresses and addresses of unknown schemes.
std::span<const char* const> BrowserTypes();

// Set (true): each type whose default is not zel.desktop has its default saved, then
// zel.desktop becomes its default. When the desktop knows no zel.desktop, one starting
// launcherPath is written into the user's applications folder first. Nothing is replaced
// when the saved values could not be written (they would be lost for a later unset).
// Unset (false): each type whose default is still zel.desktop gets its saved default back;
// when none was saved (or that application is gone) the user's choices for the type are
// taken back. A type whose default someone else has taken since is left as it is.
// Returns whether zel.desktop handles web addresses afterwards.
bool SetDefaultBrowser(bool set, AssociationPort& port, const std::string& launcherPath);

// Zel is the default browser: the handler of "http" addresses is zel.desktop.
bool IsDefaultBrowser(AssociationPort& port);

// The start-up question is asked only when the user has not declined it, a desktop
// session runs (one whose default browser a user chooses: a bare X server of scripts and
// tests has none) and Zel is not the default.
bool ShouldAskForDefault(bool checkdefault, bool desktopSession, bool isDefault);

// The desktop entry written for a program that was not installed: the same names, types
// and icon as the installed one, started as launcherPath.
std::string DesktopEntryText(const std::string& launcherPath);
// A program path as one word of a desktop entry's Exec line, with the key file's escapes.
std::string DesktopExecWord(const std::string& path);

}  // namespace zel
