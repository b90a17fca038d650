#include "view/url_rules.h"

#include <gtest/gtest.h>

#include "fakes/fake_shell.h"

using namespace zel;

namespace {

UrlRuleSettings Ftp(int mode, u16 program = u16()) {
  UrlRuleSettings s;
  s.ftpMode = mode;
  s.ftpProgram = std::move(program);
  return s;
}

UrlRuleSettings Proxy(u16 tpl, u16 def = u16()) {
  UrlRuleSettings s;
  s.webProxyMode = true;
  s.webProxyTemplate = std::move(tpl);
  s.webProxyDefault = std::move(def);
  return s;
}

u16 WithLoneSurrogate(u16 s) {
  s.insert(s.size() / 2, 1, char16_t(0xD800));
  return s;
}

}  // namespace

TEST(UrlAddress, LengthAndPrefixBoundaries) {
  EXPECT_FALSE(IsAddress(u"www.a.b"));  // 7 characters
  EXPECT_TRUE(IsAddress(u"www.a.bc"));
  EXPECT_TRUE(IsAddress(u"HTTP://a"));
  EXPECT_FALSE(IsAddress(u"http://"));
  EXPECT_TRUE(IsAddress(u"res://x.dll/a"));
  EXPECT_FALSE(IsAddress(u"example.org"));
  EXPECT_FALSE(IsAddress(u" http://a.b"));  // the caller trims
  EXPECT_TRUE(IsAddress(u"about:blank"));
  EXPECT_FALSE(IsAddress(u"ABOUT:BLANK"));
  EXPECT_FALSE(IsAddress(u"about:blank2"));
}

TEST(UrlAddress, FtpAtAnyLength) {
  EXPECT_TRUE(IsFtpAddress(u"ftp.example.com"));
  EXPECT_TRUE(IsAddress(u"ftp.example.com"));
  EXPECT_FALSE(IsFtpAddress(u"ftp."));
  EXPECT_FALSE(IsAddress(u"ftp."));
  EXPECT_TRUE(IsAddress(u"ftp.a"));
  EXPECT_TRUE(IsAddress(u"FTP://a"));
  EXPECT_FALSE(IsFtpAddress(u"ftp://"));
}

TEST(UrlLinkTarget, ScriptsMailAndAddresses) {
  EXPECT_TRUE(IsLinkTarget(u"JavaScript:x()"));
  EXPECT_TRUE(IsLinkTarget(u"vbscript:"));
  EXPECT_TRUE(IsLinkTarget(u"mailto:a@b"));
  EXPECT_TRUE(IsLinkTarget(u"ftp.a"));
  EXPECT_FALSE(IsLinkTarget(u"www.a.b"));
  EXPECT_FALSE(IsLinkTarget(u"javascrip"));
  EXPECT_FALSE(IsLinkTarget(u"news:x.y"));
}

TEST(UrlScriptOrMail, AnywhereCaseSensitive) {
  EXPECT_TRUE(HasScriptOrMail(u"http://a/?go=javascript:x"));
  EXPECT_TRUE(HasScriptOrMail(u"mailto:a@b"));
  EXPECT_FALSE(HasScriptOrMail(u"JAVASCRIPT:x"));
}

TEST(UrlAnchor, SamePageOnly) {
  EXPECT_TRUE(IsInPageAnchor(u"http://a/b#x", u"http://a/b"));
  EXPECT_TRUE(IsInPageAnchor(u"http://a/b#y", u"http://a/b#x"));
  EXPECT_TRUE(IsInPageAnchor(u"#top", u"http://a/b"));
  EXPECT_FALSE(IsInPageAnchor(u"http://a/b", u"http://a/b"));
  EXPECT_FALSE(IsInPageAnchor(u"http://a/c#x", u"http://a/b"));
  EXPECT_FALSE(IsInPageAnchor(u"http://a/b#x", u"http://a/bc"));  // another page
  EXPECT_FALSE(IsInPageAnchor(u"http://a/bcd#x", u"http://a/b"));  // current is shorter
  EXPECT_FALSE(IsInPageAnchor(u"http://a/b#x", u""));
}

TEST(UrlSpoof, NeedsBothMarks) {
  EXPECT_TRUE(IsSpoofedAddress(u"http://bank.com\u0001@evil.com"));
  EXPECT_FALSE(IsSpoofedAddress(u"http://user@host"));
  EXPECT_FALSE(IsSpoofedAddress(u"http://a\u0001b"));
}

TEST(UrlDrivePath, OnlyColonAtIndexOne) {
  EXPECT_EQ(DrivePathToFileUrl(u"C:\\a\\b.htm"), u"file:///C:/a/b.htm");
  EXPECT_EQ(DrivePathToFileUrl(u"http://a\\b"), u"http://a\\b");
  EXPECT_EQ(DrivePathToFileUrl(u"\\\\srv\\x"), u"\\\\srv\\x");
}

TEST(UrlLocalPath, AbsoluteAndHomePaths) {
  EXPECT_EQ(LocalPathToFileUrl(u"/tmp/a.htm", u"/home/u"), u"file:///tmp/a.htm");
  EXPECT_EQ(LocalPathToFileUrl(u"~/docs/a.htm", u"/home/u/"), u"file:///home/u/docs/a.htm");
  EXPECT_EQ(LocalPathToFileUrl(u"/x/my file#1?.htm", u""), u"file:///x/my%20file%231%3F.htm");
  EXPECT_EQ(LocalPathToFileUrl(u"/a%b\n", u""), u"file:///a%25b%0A");
  EXPECT_EQ(LocalPathToFileUrl(u"~/a", u""), u"~/a");  // home unknown
  EXPECT_EQ(LocalPathToFileUrl(u"~user/a", u"/home/u"), u"~user/a");
  EXPECT_EQ(LocalPathToFileUrl(u"//host/a", u"/home/u"), u"//host/a");
  EXPECT_EQ(LocalPathToFileUrl(u"C:\\a", u"/home/u"), u"C:\\a");
}

TEST(UrlShellHandOff, LocationsWithoutExtension) {
  UrlRuleSettings on;
  EXPECT_TRUE(IsShellHandled(u"C:\\temp", on));
  EXPECT_FALSE(IsShellHandled(u"C:\\temp\\a.htm", on));
  EXPECT_TRUE(IsShellHandled(u"C:\\a.b\\temp", on));  // the dot is in a folder name
  EXPECT_TRUE(IsShellHandled(u"C:\\temp.", on));
  EXPECT_TRUE(IsShellHandled(u"FILE:///home/u/", on));
  EXPECT_TRUE(IsShellHandled(u"\\\\srv\\share", on));
  EXPECT_TRUE(IsShellHandled(u"Shell:Startup", on));
  EXPECT_FALSE(IsShellHandled(u"file:", on));  // 5 characters
  EXPECT_FALSE(IsShellHandled(u"C:temp\\x", on));
  EXPECT_FALSE(IsShellHandled(u"http://example.com/x", on));
  UrlRuleSettings off;
  off.shellHandOff = false;
  EXPECT_FALSE(IsShellHandled(u"C:\\temp", off));
}

TEST(UrlShellHandOff, OpensThroughTheShell) {
  FakeShell shell;
  HandOffResult r = HandOffShellLocation(u"file:///home/u/docs", UrlRuleSettings(), shell);
  EXPECT_TRUE(r.handled);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].op, "open");
  EXPECT_EQ(shell.calls[0].target, u"file:///home/u/docs");

  r = HandOffShellLocation(u"file:///home/u/a.htm", UrlRuleSettings(), shell);
  EXPECT_FALSE(r.handled);
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST(UrlShellHandOff, UnsafeTextNeverReachesTheShell) {
  FakeShell shell;
  EXPECT_FALSE(HandOffShellLocation(u"file:///x\ny", UrlRuleSettings(), shell).handled);
  EXPECT_FALSE(
      HandOffShellLocation(WithLoneSurrogate(u"C:\\tempdir"), UrlRuleSettings(), shell).handled);
  EXPECT_TRUE(shell.calls.empty());
}

TEST(UrlFtpHandOff, Modes) {
  FakeShell shell;
  EXPECT_FALSE(HandOffFtp(u"ftp://host/", Ftp(0), shell).handled);
  EXPECT_FALSE(HandOffFtp(u"ftp://host/", Ftp(7, u"/bin/ftp"), shell).handled);
  EXPECT_FALSE(HandOffFtp(u"http://host/", Ftp(1), shell).handled);
  EXPECT_TRUE(shell.calls.empty());

  HandOffResult r = HandOffFtp(u"ftp://host/", Ftp(1), shell);
  EXPECT_TRUE(r.handled);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].op, "browser");
  EXPECT_EQ(shell.calls[0].target, u"ftp://host/");

  r = HandOffFtp(u"ftp.host.com", Ftp(2, u"/opt/ftp/bin/client"), shell);
  EXPECT_TRUE(r.handled);
  EXPECT_TRUE(r.message.empty());
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[1].op, "start");
  EXPECT_EQ(shell.calls[1].target, u"/opt/ftp/bin/client");
  EXPECT_EQ(shell.calls[1].parameter, u"ftp://ftp.host.com");
  EXPECT_EQ(shell.calls[1].folder, u"/opt/ftp/bin");

  HandOffFtp(u"FTP://Host/", Ftp(2, u"/bin/ftp"), shell);  // the scheme is not doubled
  EXPECT_EQ(shell.calls.back().parameter, u"FTP://Host/");
}

TEST(UrlFtpHandOff, NoProgramAndFailures) {
  FakeShell shell;
  HandOffResult r = HandOffFtp(u"ftp://host/", Ftp(2), shell);
  EXPECT_TRUE(r.handled);  // the tab still does not load it
  EXPECT_TRUE(shell.calls.empty());

  shell.startResult = false;
  r = HandOffFtp(u"ftp://host/", Ftp(2, u"ftp"), shell);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(r.message, u"打开 FTP 地址失败!");
  EXPECT_EQ(shell.calls.back().folder, u"");

  shell.browserResult = false;
  EXPECT_EQ(HandOffFtp(u"ftp://host/", Ftp(1), shell).message, u"打开 FTP 地址失败!");
}

TEST(UrlTypedEntry, ExpansionsAndHandOffs) {
  FakeShell shell;
  shell.env[u"DOCS"] = u"/srv/docs";
  UrlRuleSettings s;
  s.programFolder = u"/opt/zel/";

  HandOffResult r = HandOffTypedEntry(u"%DOCS%/a.htm", s, shell);
  EXPECT_FALSE(r.handled);
  EXPECT_EQ(r.text, u"file:///srv/docs/a.htm");

  r = HandOffTypedEntry(u".\\help.htm", s, shell);
  EXPECT_EQ(r.text, u"file:///opt/zel/help.htm");

  r = HandOffTypedEntry(u"%NOPE%x", s, shell);
  EXPECT_EQ(r.text, u"%NOPE%x");

  shell.folders.insert(u"/srv/my.dir");
  r = HandOffTypedEntry(u"/srv/my.dir", s, shell);
  EXPECT_TRUE(r.handled);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].target, u"file:///srv/my.dir");

  r = HandOffTypedEntry(u"~/notes", s, shell);  // no extension: the desktop opens it
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(shell.calls.back().target, u"file:///home/user/notes");

  r = HandOffTypedEntry(u"D:\\tools\\setup.EXE", s, shell);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(shell.calls.back().target, u"D:\\tools\\setup.EXE");
  EXPECT_EQ(shell.calls.size(), 3u);

  EXPECT_FALSE(HandOffTypedEntry(u"D:\\tools\\setup.Exe", s, shell).handled);
  EXPECT_FALSE(HandOffTypedEntry(u"www.example.com", s, shell).handled);
  EXPECT_EQ(shell.calls.size(), 3u);
}

TEST(UrlTypedEntry, FtpFirstAndOverlongExpansion) {
  FakeShell shell;
  shell.env[u"BIG"] = u16(300, u'x');
  HandOffResult r = HandOffTypedEntry(u"ftp.example.com", Ftp(1), shell);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(shell.calls.at(0).op, "browser");

  r = HandOffTypedEntry(u"%BIG%", UrlRuleSettings(), shell);
  EXPECT_FALSE(r.handled);
  EXPECT_EQ(r.text, u"%BIG%");
}

TEST(UrlParent, PathLevels) {
  EXPECT_EQ(ParentAddress(u"http://a.b/c/d.htm"), u"http://a.b/c/");
  EXPECT_EQ(ParentAddress(u"http://a.b/c/"), u"http://a.b/");
  EXPECT_EQ(ParentAddress(u"C:\\a\\"), u"C:\\");
  EXPECT_EQ(ParentAddress(u"C:\\a\\b.txt"), u"C:\\a\\");
  EXPECT_EQ(ParentAddress(u"C:\\"), u"C:\\");
  EXPECT_EQ(ParentAddress(u"\\\\srv\\share\\x"), u"\\\\srv\\share\\");
  EXPECT_EQ(ParentAddress(u"\\\\srv\\"), u"\\\\srv\\");
  EXPECT_EQ(ParentAddress(u"x:y\\"), u"x:y\\");  // no separator left to cut at
  EXPECT_EQ(ParentAddress(u""), u"");
  EXPECT_EQ(ParentAddress(u"about:blank"), u"about:blank");
  EXPECT_EQ(ParentAddress(u"example"), u"example");
}

TEST(UrlParent, HostLevels) {
  EXPECT_EQ(ParentAddress(u"http://mail.example.com/"), u"http://www.example.com/");
  EXPECT_EQ(ParentAddress(u"https://a.b.example.org"), u"https://www.example.org");
  EXPECT_EQ(ParentAddress(u"http://news.example.com.cn/"), u"http://www.example.com.cn/");
  EXPECT_EQ(ParentAddress(u"http://a.example.xyz/"), u"http://www.example.xyz/");
  EXPECT_EQ(ParentAddress(u"HTTP://A.EXAMPLE.XYZ/"), u"HTTP://www.EXAMPLE.XYZ/");
  EXPECT_EQ(ParentAddress(u"http://example.com/"), u"http://example.com/");
  EXPECT_EQ(ParentAddress(u"http://www.example.com/"), u"http://www.example.com/");
  EXPECT_EQ(ParentAddress(u"http://example.com.cn/"), u"http://example.com.cn/");
  EXPECT_EQ(ParentAddress(u"http://192.168.0.1/"), u"http://192.168.0.1/");
  EXPECT_EQ(ParentAddress(u"ftp://host/"), u"ftp://host/");
}

TEST(UrlSiteRoot, ClimbsToTheTop) {
  EXPECT_EQ(SiteRoot(u"http://mail.example.com/a/b/c.htm"), u"http://www.example.com/");
  EXPECT_EQ(SiteRoot(u"http://news.example.com.cn/x/"), u"http://www.example.com.cn/");
  EXPECT_EQ(SiteRoot(u"http://192.168.0.1/a/b"), u"http://192.168.0.1/");
  EXPECT_EQ(SiteRoot(u"C:\\a\\b\\c.txt"), u"C:\\a\\b\\c.txt");  // not an address
}

TEST(UrlSiteBase, SchemeHostAndSlash) {
  EXPECT_EQ(SiteBase(u"http://a.b/c/d"), u"http://a.b/");
  EXPECT_EQ(SiteBase(u"https://a.b"), u"https://a.b/");
  EXPECT_EQ(SiteBase(u"http://a.b?x=/y"), u"http://a.b/");
  EXPECT_EQ(SiteBase(u"ftp://host/x"), u"");
  EXPECT_EQ(SiteBase(u"a.b/c"), u"");
}

TEST(UrlWebProxy, Placeholders) {
  const u16 addr = u"http://a.com/p?q=1&r=2";
  EXPECT_EQ(WrapForWebProxy(addr, Proxy(u"http://px/b.php?u=%s&f=1")),
            u"http://px/b.php?u=http%3A%2F%2Fa.com%2Fp%3Fq%3D1%26r%3D2&f=1");
  EXPECT_EQ(WrapForWebProxy(u"www.a.com/x", Proxy(u"http://px/%S")),
            u"http://px/http://www.a.com/x");
  EXPECT_EQ(WrapForWebProxy(u"https://a.com/", Proxy(u"http://px/?u=")),
            u"http://px/?u=https://a.com/");
  EXPECT_EQ(WrapForWebProxy(u"http://a.com/", Proxy(u"%shttp://px/")),
            u"%shttp://px/http://a.com/");  // "%s" at index 0 does not count
  EXPECT_EQ(WrapForWebProxy(u"http://a.com/", Proxy(u"", u"http://def/?u=")),
            u"http://def/?u=http://a.com/");
}

TEST(UrlWebProxy, LeavesOthersAlone) {
  EXPECT_EQ(WrapForWebProxy(u"ftp://a/", Proxy(u"http://px/?u=")), u"ftp://a/");
  EXPECT_EQ(WrapForWebProxy(u"http://a/", Proxy(u"")), u"http://a/");
  UrlRuleSettings off = Proxy(u"http://px/?u=");
  off.webProxyMode = false;
  EXPECT_EQ(WrapForWebProxy(u"http://a/", off), u"http://a/");
  // Already wrapped, also when the placeholder has been filled in.
  EXPECT_EQ(WrapForWebProxy(u"http://px/?u=http://a/", Proxy(u"http://px/?u=")),
            u"http://px/?u=http://a/");
  u16 once = WrapForWebProxy(u"http://a/", Proxy(u"http://px/b?u=%s"));
  EXPECT_EQ(WrapForWebProxy(once, Proxy(u"http://px/b?u=%s")), once);
}

TEST(UrlRobustness, LongAndControlTextDoNotBreakTheRules) {
  FakeShell shell;
  UrlRuleSettings s = Ftp(2, u"/bin/ftp");
  s.webProxyMode = true;
  s.webProxyTemplate = u"http://px/?u=%s";
  const u16 inputs[] = {
      u16(100000, u'a'), u16(100000, u'/'), u16(100000, u'\\'), u16(100000, u'%'),
      u16(100000, u'.'), u16(100000, u'#'), u"http://" + u16(100000, u'.'),
      u"C:" + u16(100000, u'\\'), u16(u"\x00\x01\x1f\x7f", 4), u16(1, char16_t(0xDC00))};
  for (const u16& in : inputs) {
    SCOPED_TRACE(in.size());
    EXPECT_LE(ParentAddress(in).size(), in.size());
    EXPECT_LE(SiteRoot(in).size(), in.size());
    EXPECT_LE(SiteBase(in).size(), in.size() + 1);
    u16 wrapped = WrapForWebProxy(in, s);
    EXPECT_TRUE(wrapped == in || StartsWith(wrapped, u"http://px/?u=http%3A%2F%2F"));
    EXPECT_LE(HandOffTypedEntry(in, s, shell).text.size(), in.size() + 7);
    IsInPageAnchor(in, in);
  }
  const u16 deep = u"http://x.com/" + u16(50000, u'/');
  EXPECT_EQ(SiteRoot(deep).size(), deep.size() - 100);  // stops after 100 steps
}

TEST(UrlRobustness, ControlCharactersAndLoneSurrogatesComeBackUnchanged) {
  const u16 blank = WithLoneSurrogate(u"about:blank");
  EXPECT_FALSE(IsAddress(blank));
  EXPECT_EQ(ParentAddress(blank), blank);
  EXPECT_EQ(SiteRoot(blank), blank);
  const u16 ctl(u"http://a.b/\x01\x00x", 14);
  EXPECT_EQ(ParentAddress(ctl), u"http://a.b/");
  EXPECT_EQ(WrapForWebProxy(u16(u"ftp\x00x", 5), Proxy(u"http://px/?u=")), u16(u"ftp\x00x", 5));
  EXPECT_EQ(SiteBase(u"\x01\x02"), u"");
  EXPECT_EQ(DrivePathToFileUrl(u"\x01x:y"), u"\x01x:y");

  // A lone surrogate stays in the text and is never handed to the desktop.
  FakeShell shell;
  const u16 dir = WithLoneSurrogate(u"/tmp/dir");
  shell.folders.insert(dir);
  HandOffResult r = HandOffTypedEntry(dir, UrlRuleSettings(), shell);
  EXPECT_FALSE(r.handled);
  EXPECT_EQ(r.text, u"file://" + dir);
  EXPECT_FALSE(HandOffFtp(u"ftp://a/\x01", Ftp(1), shell).handled);
  EXPECT_TRUE(shell.calls.empty());
}

TEST(UrlOpenAddress, CleaningAndTheWwwRule) {
  EXPECT_EQ(CleanOpenAddress(u"  http://a/\r\nb  "), u"http://a/b");
  EXPECT_EQ(CleanOpenAddress(u" \r\n "), u"");
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"sina.com", u"www.sina.com"},       {u"sina.com.cn", u"www.sina.com.cn"},
      {u"Mit.EDU", u"www.Mit.EDU"},         {u"www.sina.com", u"www.sina.com"},
      {u"sina.comx", u"sina.comx"},         {u"sina.cn", u"sina.cn"},
      {u"http://sina.com", u"http://sina.com"}, {u".com", u".com"},
      {u"a.org/path", u"a.org/path"},       {u"localhost", u"localhost"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithWwwForBareHost(c.in), c.out) << ToUtf8(c.in);
}
