// The text rules for addresses: what counts as an address, the parent and root of an
// address, the hand-off of local locations, FTP addresses and programs to the desktop, and
// the web-proxy wrapping. All rules are plain functions over UTF-16 text. A rule that
// returns an address never fails: text it cannot handle comes back unchanged.
//
// Prefix comparisons ignore case unless a rule says otherwise; "about:blank" is always
// compared exactly.
#pragma once

#include "base/text.h"

namespace zel {

class ShellPort;

// The settings the rules read. The frame and the view fill it from their own state.
struct UrlRuleSettings {
  // 0 FTP addresses load in the tab; 1 they go to the other web browser; 2 they go to the
  // user's FTP program. Any other value counts as 0.
  int ftpMode = 0;
  u16 ftpProgram;  // full path of the FTP program (mode 2)
  bool shellHandOff = true;  // local locations are opened by the desktop
  bool webProxyMode = false;  // the view loads pages through the web proxy
  u16 webProxyTemplate;  // the view's template; empty means the frame's default
  u16 webProxyDefault;  // the frame's template
  u16 programFolder;  // replaces a leading ".\" of typed text
};

// What a hand-off did.
struct HandOffResult {
  // The text went to the desktop (or was taken by the FTP setting); the tab loads nothing.
  bool handled = false;
  // The text after the typed-entry expansions; the tab loads this when nothing was handled.
  u16 text;
  // A failure the user must be told about, empty when there is none.
  u16 message;
};

// Shown when the FTP program (or the other browser) cannot take an FTP address.
inline constexpr char16_t kFtpOpenFailedText[] = u"打开 FTP 地址失败!";

// Address test (the text is trimmed by the caller): "http://", "file://", "https://",
// "www.", "res://", "ftp://" or "ftp." at the start of a text of 8 characters or more, an
// FTP address of any length, or exactly "about:blank". A bare host name is not an address.
bool IsAddress(u16view text);

// "ftp://" with at least 7 characters, or "ftp." with at least 5.
bool IsFtpAddress(u16view text);

// The test for the link under the mouse: an address as IsAddress sees it, or a text
// beginning with "javascript:", "vbscript:" or "mailto:".
bool IsLinkTarget(u16view text);

// "javascript:", "vbscript:" or "mailto:" anywhere in the text, case-sensitive. Such an
// address is never moved to a new tab.
bool HasScriptOrMail(u16view address);

// True when address only moves to a "#" anchor of the page the view shows: the part before
// its first "#" is the whole of current's part before current's own first "#".
bool IsInPageAnchor(u16view address, u16view current);

// U+0001 together with "@": an address dressed up to show another host.
bool IsSpoofedAddress(u16view address);

// A text whose first ":" is at index 1 (a drive path) becomes "file:///" followed by the
// text with every "\" turned into "/". Anything else comes back unchanged.
u16 DrivePathToFileUrl(u16view text);

// A typed local path of this platform, "/..." or "~/..." (with home as the home folder),
// becomes a "file:///" address; "%", "#", "?", space and control characters of the path
// are escaped. Anything else, "//..." included, comes back unchanged.
u16 LocalPathToFileUrl(u16view text, u16view home);

// A location the desktop opens instead of a tab: with the hand-off switch on and more than
// 5 characters, a text beginning with "file:", "\\" or "shell:", or with ":" at index 1
// followed by nothing, "/" or "\". A name with an extension ("C:\temp\a.htm") is a file
// for the tab, not a location. Text with control characters or broken UTF-16 is never
// handed to the desktop.
bool IsShellHandled(u16view text, const UrlRuleSettings& settings);

// Opens a shell-handled location with the desktop. Handled when IsShellHandled holds.
HandOffResult HandOffShellLocation(u16view text, const UrlRuleSettings& settings,
                                   ShellPort& shell);

// FTP hand-off. With FTP mode 1 or 2 an FTP address never loads in the tab: mode 1 gives it
// to the other web browser; mode 2 starts the FTP program with the address (a leading
// "http://" dropped, "ftp://" put in front when missing) in the program's own folder, and
// does nothing when no program is set. The view skips this while Ctrl is held; the caller
// decides that.
HandOffResult HandOffFtp(u16view address, const UrlRuleSettings& settings, ShellPort& shell);

// "%NAME%" references replaced by the environment; unknown names stay as written.
u16 ExpandEnvironment(u16view text, ShellPort& shell);

// The path a typed text takes before it goes to a tab, first match wins: FTP hand-off;
// a leading "%" expands the environment (an expansion past 260 characters is not used);
// a leading ".\" or "./" becomes the program folder; a local path "/..." or "~/..."
// becomes a file:/// address, and a folder is opened by the desktop; a shell-handled
// location is opened by the desktop; a drive path ending in ".exe" or ".EXE" is opened by
// the desktop. When nothing handled it, result.text is what the tab loads.
HandOffResult HandOffTypedEntry(u16view text, const UrlRuleSettings& settings,
                                ShellPort& shell);

// The "Up" address: one path level up (http://a.b/c/d.htm gives http://a.b/c/, and
// C:\a\ gives C:\), or at a site's top level one host level up towards "www."
// (http://mail.example.com/ gives http://www.example.com/). Unchanged when there is no
// level left.
u16 ParentAddress(u16view address);

// ParentAddress repeated until nothing changes (at most 100 times), for addresses only.
u16 SiteRoot(u16view address);

// Scheme, host and the "/" after the host of an http or https address
// (http://a.b/c gives http://a.b/); empty for any other text.
u16 SiteBase(u16view address);

// The address as the web proxy wants it, when the view is in web-proxy mode and the address
// begins with "http" or "www." and is not wrapped already. A template with "%s" takes the
// address escaped as a query value, "%S" takes it as it is, and a template without either
// gets the address appended.
u16 WrapForWebProxy(u16view address, const UrlRuleSettings& settings);

// An address about to open in a tab: trimmed, without line breaks.
u16 CleanOpenAddress(u16view address);
// A bare host name ending in .com, .net, .edu or .org (before the end or a dot) gets "www.".
u16 WithWwwForBareHost(u16view address);

}  // namespace zel
