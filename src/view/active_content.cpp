#include "view/active_content.h"

namespace zel {

namespace {

// Windows programs, installers and ActiveX packages; Java, browser extensions and Flash;
// the Linux counterparts (packages, scripts, self-extracting programs, shared libraries).
constexpr const char16_t* kExtensions[] = {
    u"exe", u"msi", u"msp", u"dll", u"ocx", u"cab", u"com", u"bat", u"cmd", u"scr", u"pif",
    u"cpl", u"jar", u"xpi", u"crx", u"swf", u"deb", u"rpm", u"sh", u"run", u"appimage", u"so",
};

constexpr const char16_t* kTypes[] = {
    u"application/x-msdownload",       u"application/x-msdos-program",
    u"application/x-ms-installer",     u"application/x-msi",
    u"application/x-dosexec",          u"application/vnd.microsoft.portable-executable",
    u"application/x-executable",       u"application/x-sharedlib",
    u"application/x-sh",               u"application/x-shellscript",
    u"application/java-archive",       u"application/x-java-archive",
    u"application/x-xpinstall",        u"application/x-chrome-extension",
    u"application/vnd.debian.binary-package", u"application/x-rpm",
    u"application/x-redhat-package-manager",  u"application/vnd.ms-cab-compressed",
    u"application/x-cab",              u"application/x-shockwave-flash",
    u"application/x-appimage",         u"application/x-oleobject",
};

}  // namespace

bool IsProgramOrPlugin(u16view fileName, u16view mime) {
  // The name without a query or fragment an address may still carry.
  u16view name = fileName.substr(0, fileName.find_first_of(u"?#"));
  size_t slash = name.find_last_of(u"/\\");
  if (slash != u16view::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind(u'.');
  if (dot != u16view::npos && dot + 1 < name.size()) {
    u16view ext = name.substr(dot + 1);
    for (const char16_t* e : kExtensions)
      if (EqualsNoCase(ext, e)) return true;
  }
  u16view type = mime.substr(0, mime.find(u';'));
  while (!type.empty() && type.back() == u' ') type.remove_suffix(1);
  for (const char16_t* t : kTypes)
    if (EqualsNoCase(type, t)) return true;
  return false;
}

}  // namespace zel
