// The proxy manager: proxy.ini, import and export lists, the dialog's editing rules, the
// proxy-list syntax as the engine's proxy, and the commands over a real frame with a fake
// engine.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <thread>

#include "base/commands.h"
#include "view/vop_view.h"

#include "base/files.h"
#include "fakes/fake_engine.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_shell.h"
#include "fakes/temp_dir.h"
#include "frame/main_frame.h"
#include "platform/ini_registry.h"
#include "proxy/proxy_controller.h"
#include "proxy/proxy_dialog_model.h"
#include "proxy/proxy_dialogs_view.h"
#include "proxy/proxy_list.h"
#include "proxy/proxy_rules.h"
#include "proxy/system_proxy.h"

using namespace zel;
using namespace zel::test;

namespace {

ProxyList LoadText(const std::string& ini, u16view defaultException = u"<local>") {
  ProxyList l;
  l.Load(IniDocument::Parse(ini), defaultException);
  return l;
}

std::vector<u16> Names(const ProxyList& l) {
  std::vector<u16> n;
  for (const auto& c : l.categories) n.push_back(c.name);
  return n;
}

const std::vector<u16> kBuiltIns = {kWebProxyCategory, kTranslationCategory, kProxyServerCategory};

}  // namespace

// --- proxy.ini --------------------------------------------------------------------------

TEST(ProxyFile, CategoriesEntriesAndDefaults) {
  ProxyList l = LoadText(
      "[GENERAL]\r\nProxy_CategoryName=Mine\r\nProxy_proxy1=1.2.3.4:80\r\nProxy_alias1=one\r\n"
      "Proxy_proxy2=http=5.6.7.8:8080\r\nProxy_alias2=two\r\nProxy_speed2=0\r\n"
      "Proxy1_CategoryName=Web\r\nProxy1_ProxyType=1\r\nProxy1_Exception=a.com\r\n"
      "Proxy1_proxy1=http://px/?u=%s\r\n");
  ASSERT_EQ(l.categories.size(), 3u);  // web and server are there: translation is added
  const ProxyCategory& mine = l.categories[0];
  EXPECT_EQ(mine.name, u"Mine");
  ASSERT_EQ(mine.entries.size(), 2u);
  EXPECT_EQ(mine.entries[0], (ProxyEntry{u"one", u"1.2.3.4:80", 3}));
  EXPECT_EQ(mine.entries[1], (ProxyEntry{u"two", u"http=5.6.7.8:8080", 0}));
  EXPECT_EQ(mine.exception, u"<local>");  // missing: the current bypass list
  EXPECT_EQ(l.categories[1].exception, u"a.com");
  EXPECT_TRUE(l.categories[1].web());
  EXPECT_EQ(Names(l), (std::vector<u16>{u"Mine", u"Web", kTranslationCategory}));
}

TEST(ProxyFile, GapsEndTheLists) {
  struct Case {
    const char* what;
    std::string ini;
    size_t fileCategories;
    size_t firstEntries;
  } cases[] = {
      {"no first name: only built-ins",
       "[GENERAL]\r\nProxy1_CategoryName=Second\r\nProxy1_proxy1=1.1.1.1:1\r\n", 0, 0},
      {"empty first address: no entries",
       "[GENERAL]\r\nProxy_CategoryName=A\r\nProxy_proxy1=\r\nProxy_proxy2=2.2.2.2:2\r\n", 1, 0},
      {"a gap in the categories",
       "[GENERAL]\r\nProxy_CategoryName=A\r\nProxy2_CategoryName=C\r\n", 1, 0},
      {"keys in any case", "[general]\r\nproxy_categoryname=A\r\nPROXY_PROXY1=h:1\r\n", 1, 1},
      {"no file", "", 0, 0},
  };
  for (const auto& c : cases) {
    ProxyList l = LoadText(c.ini);
    // A file's server category stands for the built-in one.
    EXPECT_EQ(l.categories.size(), 3u) << c.what;
    if (c.fileCategories) {
      EXPECT_EQ(Names(l), (std::vector<u16>{u"A", kWebProxyCategory, kTranslationCategory}))
          << c.what;
      EXPECT_EQ(l.categories[0].entries.size(), c.firstEntries) << c.what;
    } else {
      EXPECT_EQ(Names(l), kBuiltIns) << c.what;
    }
  }
}

TEST(ProxyFile, SaveReadsBackAndDropsRemovedEntries) {
  ScratchProfile profile;
  ProxyList l = LoadText("");
  l.categories[2].entries = {{u"a", u"1.1.1.1:80", 3}, {u"b", u"2.2.2.2:81", 0},
                             {u"c", u"3.3.3.3:82", 3}};
  l.categories[2].exception = u"x.com <local>";
  ASSERT_TRUE(SaveProxyFile(l));
  std::string path = profile.ProfileFolder() + "/proxy.ini";
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // addresses may hold passwords
  ProxyList back;
  ASSERT_TRUE(LoadProxyFile(back, u"<local>"));
  EXPECT_EQ(back.categories, l.categories);
  // A deleted last entry does not come back from its old keys.
  l.categories[2].entries.pop_back();
  ASSERT_TRUE(SaveProxyFile(l));
  ASSERT_TRUE(LoadProxyFile(back, u"<local>"));
  EXPECT_EQ(back.categories[2].entries.size(), 2u);
  // Key names: decimal without leading zeros.
  std::string text = *ReadFileBytes(path);
  EXPECT_NE(text.find("Proxy2_proxy2=2.2.2.2:81"), std::string::npos);
  EXPECT_NE(text.find("Proxy_CategoryName=Web"), std::string::npos);
}

TEST(ProxyFile, ValuesAreCutAt259Characters) {
  ProxyList l = LoadText("[GENERAL]\r\nProxy_CategoryName=" + std::string(400, 'n') + "\r\n");
  EXPECT_EQ(l.categories[0].name.size(), 259u);
}

// --- import and export -----------------------------------------------------------------

TEST(ProxyImport, Lines) {
  struct Case {
    const char16_t* line;
    bool ok;
    ProxyEntry entry;
  } cases[] = {
      {u"10.0.0.1:1080@SOCKS#a", true, {u"a", u"socks=10.0.0.1:1080", 3}},
      {u"1.2.3.4:80@HTTP#web", true, {u"web", u"1.2.3.4:80", 3}},
      {u"1.2.3.4:80$6", true, {u"1.2.3.4:80", u"1.2.3.4:80", 3}},
      {u"1.2.3.4:80$x#n", true, {u"n", u"1.2.3.4:80", 0}},
      {u"1.2.3.4:80$", true, {u"1.2.3.4:80", u"1.2.3.4:80", 0}},
      {u"  h.example.com:8080&whatever#x@https", true, {u"x", u"https=h.example.com:8080", 3}},
      {u"h:81\r", true, {u"h:81", u"h:81", 3}},
      {u"http://127.0.0.1:80", true, {u"http://127.0.0.1:80", u"http://127.0.0.1:80", 3}},
      {u"", false, {}},
      {u"   #alias", false, {}},  // the host before the separator is empty
      {u"#alias", true, {u"#alias", u"#alias", 3}},  // a separator first: the line is the host
      {u"@1.2.3.4:80#x", true, {u"@1.2.3.4:80#x", u"@1.2.3.4:80#x", 3}},
      {u"#two words", false, {}},
      {u"socks=1.1.1.1:1#pre", true, {u"pre", u"socks=1.1.1.1:1", 3}},
      {u"socks=1.1.1.1:1@ftp", false, {}},  // two protocols
      {u"so ck=1.1.1.1:1", false, {}},
      {u"two words:80", false, {}},
      {u"h:99999", false, {}},
      {u"h:80:81", false, {}},
      {u"h\x01:80", false, {}},
      {u"h:80@so cks", false, {}},
      {u"h:80#a\x07", false, {}},
      // Half a surrogate pair would come back from an export as a replaced character.
      {u"h:80#a\xDC30", false, {}},
      {u"h:80#a\xD83D", false, {}},
      {u"h:80#a\xD83D\xDE00", true, {u"a\xD83D\xDE00", u"h:80", 3}},
  };
  for (const auto& c : cases) {
    auto p = ParseImportLine(c.line);
    EXPECT_EQ(p.has_value(), c.ok) << ToUtf8(c.line);
    if (p && c.ok) {
      EXPECT_EQ(EntryFromImport(*p), c.entry) << ToUtf8(c.line);
    }
  }
}

TEST(ProxyImport, ExportAndImportBack) {
  ProxyCategory c;
  c.entries = {{u"a", u"socks=10.0.0.1:1080", 3},
               {u"b", u"1.2.3.4:80", 0},
               {u"--", u"--------", 3},
               {u"c", u"=5.5.5.5:1", 3}};
  std::string out = ExportProxies(c);
  EXPECT_EQ(out, "10.0.0.1:1080@SOCKS#a\n1.2.3.4:80@HTTP#b\n=5.5.5.5:1@HTTP#c\n");
  ProxyCategory back;
  EXPECT_EQ(ImportProxies(back, FromUtf8(out), false), 2u);  // "=5.5.5.5:1" is no host
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[0], (ProxyEntry{u"a", u"socks=10.0.0.1:1080", 3}));
  EXPECT_EQ(back.entries[1].address, u"1.2.3.4:80");
}

TEST(ProxyImport, SkippedLinesAreCountedBlankOnesAreNot) {
  size_t skipped = 99;
  auto entries = ParseImportText(u"1.1.1.1:1\r\n\r\n   \nbad host\n#x\nh:99999", &skipped);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(skipped, 2u);
}

TEST(ProxyImport, ExistingAddressesAreUpdatedAndClearEmpties) {
  ProxyCategory c;
  c.entries = {{u"old", u"1.1.1.1:1", 3}, {u"keep", u"2.2.2.2:2", 3}};
  ImportProxies(c, u"1.1.1.1:1#new$0\n3.3.3.3:3\n", false);
  ASSERT_EQ(c.entries.size(), 3u);
  EXPECT_EQ(c.entries[0], (ProxyEntry{u"new", u"1.1.1.1:1", 0}));
  EXPECT_EQ(c.entries[2].address, u"3.3.3.3:3");
  ImportProxies(c, u"4.4.4.4:4\n", true);
  ASSERT_EQ(c.entries.size(), 1u);
}

TEST(ProxyImport, HostileFiles) {
  // Garbage, a megabyte line, CR LF, UTF-16 with and without a mark, 100 000 lines.
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage += char((i * 7919) % 256);
  EXPECT_EQ(ParseImportText(DecodeListText(garbage)).size(),
            ParseImportText(DecodeListText(garbage)).size());  // deterministic, no hang
  for (const ProxyEntry& e : ParseImportText(DecodeListText(garbage)))
    EXPECT_TRUE(ParseImportLine(e.address.substr(e.address.find(u'=') + 1)).has_value());

  std::string big = std::string(1 << 20, 'a') + ":80\r\n1.1.1.1:80#ok\r\n";
  auto entries = ParseImportText(DecodeListText(big));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].alias, u"ok");

  u16 text = u"1.1.1.1:80#甲\r\n2.2.2.2:81@socks#乙\r\n";
  std::string le = EncodeUtf16Le(text);
  for (const std::string& bytes : {le, "\xFF\xFE" + le}) {
    auto e = ParseImportText(DecodeListText(bytes));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].alias, u"甲");
    EXPECT_EQ(e[1].address, u"socks=2.2.2.2:81");
  }

  std::string many;
  for (int i = 0; i < 100000; ++i)
    many += "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
            std::to_string(i % 256) + ":80\n";
  ProxyCategory c;
  EXPECT_EQ(ImportProxies(c, DecodeListText(many), false), 100000u);
  EXPECT_EQ(c.entries.size(), 100000u);
}

// --- the dialog's rules ----------------------------------------------------------------

TEST(ProxyDialogModel, EntriesAndCategories) {
  EXPECT_EQ(CheckProxyEntry(u"", u"h:1"), u16(kNameEmpty));
  EXPECT_EQ(CheckProxyEntry(u"n", u" "), u16(kAddressEmpty));
  EXPECT_FALSE(CheckProxyEntry(u"n", u"h:1"));

  ProxyDialogState s;
  s.list = LoadText("");
  EXPECT_EQ(AddProxyEntry(s, 2, -1, {u"a", u"1.1.1.1:1", 3}), 0);
  EXPECT_EQ(AddProxyEntry(s, 2, -1, {u"c", u"3.3.3.3:3", 3}), 1);
  EXPECT_EQ(AddProxyEntry(s, 2, 0, {u"b", u"2.2.2.2:2", 3}), 1);  // after the selected one
  EXPECT_EQ(s.list.categories[2].entries[1].alias, u"b");
  AddProxyEntry(s, 0, -1, {u"w", u"http://px/?u=", 3});

  SelectProxyEntry(s, 2, 1);
  SelectProxyEntry(s, 0, 0);
  EXPECT_EQ(s.chosen, u"2.2.2.2:2");
  EXPECT_EQ(s.webTemplate, u"http://px/?u=");

  // Types differ: nothing moves.
  EXPECT_FALSE(MoveProxyEntry(s, 2, 0, 0, false));
  EXPECT_EQ(s.list.categories[2].entries.size(), 3u);
  int added = InsertProxyCategory(s, 2);
  EXPECT_EQ(added, 3);
  EXPECT_TRUE(MoveProxyEntry(s, 2, 0, 3, false));
  EXPECT_TRUE(MoveProxyEntry(s, 2, 0, 3, true));  // Control held: kept in both
  EXPECT_EQ(s.list.categories[2].entries.size(), 2u);
  EXPECT_EQ(s.list.categories[3].entries.size(), 2u);

  // Deleting the web category takes the template, the chosen proxy's category the choice.
  EXPECT_EQ(DeleteProxyCategory(s, 0), 0);
  EXPECT_TRUE(s.webTemplate.empty());
  EXPECT_EQ(s.chosen, u"2.2.2.2:2");
  EXPECT_EQ(DeleteProxyCategory(s, 1), 1);  // the server category holding it
  EXPECT_TRUE(s.chosen.empty());
  EXPECT_EQ(DeleteProxyCategory(s, 1), 0);  // the last one: the first is selected
}

// --- the engine's proxy ----------------------------------------------------------------

TEST(ProxyRules, ListSyntax) {
  auto p = EngineProxyFor(u"127.0.0.1:3128", u"", u"box");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->mode, EngineProxy::Mode::Custom);
  EXPECT_EQ(p->defaultProxy, "http://127.0.0.1:3128");
  EXPECT_TRUE(p->schemes.empty());

  p = EngineProxyFor(u"http=1.1.1.1:80;HTTPS=2.2.2.2:443; ftp=3.3.3.3:21", u"", u"");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->defaultProxy, "");
  EXPECT_EQ(p->schemes, (std::vector<std::pair<std::string, std::string>>{
                            {"http", "http://1.1.1.1:80"},
                            {"https", "http://2.2.2.2:443"},
                            {"ftp", "http://3.3.3.3:21"}}));

  p = EngineProxyFor(u"socks=10.0.0.1:1080", u"", u"");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->defaultProxy, "socks://10.0.0.1:1080");
  p = EngineProxyFor(u"http://user:pw@h.example:8080/", u"", u"");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->defaultProxy, "http://user:pw@h.example:8080");

  for (const char16_t* bad : {u"", u"  ", u"h:0", u"h:70000", u"h:8o", u"http=", u"=:80",
                              u"a b c=", u"h\x01:80", u"u@:80", u":80"})
    EXPECT_FALSE(EngineProxyFor(bad, u"", u"")) << ToUtf8(bad);
}

TEST(ProxyRules, BypassList) {
  EXPECT_EQ(IgnoreHostsFor(u"<local> *.a.com;b.org", u"box"),
            (std::vector<std::string>{"localhost", "127.0.0.0/8", "::1", "box", "*.a.com",
                                      "b.org"}));
  EXPECT_EQ(IgnoreHostsFor(u"<LOCAL>", u"box.lan"),
            (std::vector<std::string>{"localhost", "127.0.0.0/8", "::1"}));
  EXPECT_EQ(BypassWithLocal(u""), u"<local>");
  EXPECT_EQ(BypassWithLocal(u" a.com "), u"a.com <local>");
  EXPECT_EQ(BypassWithLocal(u"a.com <local>"), u"a.com <local>");
}

TEST(ProxyRules, UnwrapWebProxy) {
  struct Case {
    const char16_t* address;
    const char16_t* tpl;
    const char16_t* page;
  } cases[] = {
      {u"http://px/b?u=http%3A%2F%2Fa.com%2Fp%3Fq%3D1&f=1", u"http://px/b?u=%s&f=1",
       u"http://a.com/p?q=1"},
      {u"http://px/http://www.a.com/x", u"http://px/%S", u"http://www.a.com/x"},
      {u"http://px/?u=https://a.com/", u"http://px/?u=", u"https://a.com/"},
      {u"http://other/", u"http://px/?u=", u"http://other/"},
      {u"http://px/?u=", u"http://px/?u=", u"http://px/?u="},
      {u"http://a/", u"", u"http://a/"},
      {u"http://px/b?u=%zz%4", u"http://px/b?u=%s", u"%zz%4"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnwrapWebProxy(c.address, c.tpl), c.page) << ToUtf8(c.address);
}

TEST(SystemProxy, FromTheEnvironment) {
  struct Case {
    std::map<std::string, std::string> env;
    const char16_t* list;
    const char16_t* bypass;
  } cases[] = {
      {{}, u"", u""},
      {{{"http_proxy", "http://p:3128/"}, {"https_proxy", "http://p:3128"},
        {"ftp_proxy", "p:3128"}, {"no_proxy", "localhost,.lan"}},
       u"p:3128", u"localhost .lan"},
      {{{"HTTP_PROXY", "http://a:1"}, {"https_proxy", "http://b:2"}}, u"http=a:1;https=b:2", u""},
      {{{"http_proxy", "socks5://s:1080"}}, u"socks=s:1080", u""},
  };
  for (const auto& c : cases) {
    SystemProxy p = SystemProxyFromEnvironment([&c](const char* n) -> const char* {
      auto it = c.env.find(n);
      return it == c.env.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(p.list, c.list);
    EXPECT_EQ(p.bypass, c.bypass);
  }
}

// --- the commands over the frame -------------------------------------------------------

class ProxyCommands : public ::testing::Test {
 protected:
  ProxyCommands()
      : registry_(profile_.ProfileFolder() + "/registry.ini"),
        frame_({&window_, &loop_, &prompts_, &registry_, &shell_, &engines_, &keys_, &clipboard_}) {
    // As a start runs it: the early settings (the proxy chosen or off), then the rest.
    frame_.LoadEarlySettings(0);
    frame_.OnDeferredStartup();
  }
  ProxyController& proxy() { return frame_.controller<ProxyController>(); }
  FrameSettings& st() { return frame_.settings(); }

  ScratchProfile profile_;
  FakeWindow window_;
  FakeLoop loop_;
  FakePrompts prompts_;
  IniRegistry registry_;
  FakeShell shell_;
  FakeEngineFactory engines_;
  FakeKeys keys_;
  FakeClipboard clipboard_;
  CMainFrame frame_;
};

TEST_F(ProxyCommands, EnableWithoutChoiceTakesTheSystemProxyOrRefuses) {
  // Off from the start: straight to the sites, never the system's settings.
  ASSERT_EQ(engines_.proxies.size(), 1u);
  EXPECT_EQ(engines_.proxies[0].mode, EngineProxy::Mode::Direct);
  proxy().SetSystemProxy({});
  frame_.OnCommand(cmd::kProxyEnable);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{kChooseProxyFirst});
  EXPECT_FALSE(st().proxyEnable);
  EXPECT_EQ(frame_.CommandChecked(cmd::kProxyEnable), false);
  EXPECT_EQ(engines_.proxies.back().mode, EngineProxy::Mode::Direct);

  proxy().SetSystemProxy({u"sys:8080", u"a.com"});
  frame_.OnCommand(cmd::kProxyEnable);
  EXPECT_TRUE(st().proxyEnable);
  EXPECT_EQ(st().proname, kSystemProxyName);
  EXPECT_EQ(st().curpro, u"sys:8080");
  EXPECT_EQ(engines_.proxies.back().defaultProxy, "http://sys:8080");
  EXPECT_EQ(frame_.CommandChecked(cmd::kSystemProxy), true);

  frame_.OnCommand(cmd::kProxyEnable);
  EXPECT_EQ(engines_.proxies.back().mode, EngineProxy::Mode::Direct);
}

// No proxy chosen at OK (the chosen one deleted, or another category's entry selected):
// nothing chosen, no name kept, and with the switch on the pages go straight after 138.
TEST_F(ProxyCommands, DialogWithoutAChosenEntryLeavesNoChoice) {
  proxy().SetSystemProxy({});
  ProxyDialogState d = proxy().DialogState();
  AddProxyEntry(d, 2, -1, {u"Mine", u"10.1.1.1:3128", 3});
  d.chosen = u"10.1.1.1:3128";
  d.enable = true;
  proxy().ApplyDialog(d);
  ASSERT_EQ(engines_.proxies.back().defaultProxy, "http://10.1.1.1:3128");
  d = proxy().DialogState();
  d.list.categories[2].entries.clear();  // "删除" on the chosen entry
  ConfirmProxyChoice(d, 2, -1);
  EXPECT_EQ(d.chosen, u"");
  proxy().ApplyDialog(d);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{kChooseProxyFirst});
  EXPECT_FALSE(st().proxyEnable);
  EXPECT_EQ(st().curpro, u"");
  EXPECT_EQ(st().proname, u"");
  EXPECT_EQ(engines_.proxies.back().mode, EngineProxy::Mode::Direct);

  // A web category shown at OK keeps the chosen proxy only while the lists hold it.
  ProxyDialogState w;
  AddProxyEntry(w, InsertProxyCategory(w, -1), -1, {u"A", u"1.1.1.1:1", 3});
  InsertProxyCategory(w, -1);
  w.list.categories[1].type = 1;
  w.chosen = u"1.1.1.1:1";
  ConfirmProxyChoice(w, 1, -1);
  EXPECT_EQ(w.chosen, u"1.1.1.1:1");
  w.chosen = u"9.9.9.9:9";
  ConfirmProxyChoice(w, 1, -1);
  EXPECT_EQ(w.chosen, u"");
}

TEST_F(ProxyCommands, SystemProxyCommand) {
  proxy().SetSystemProxy({});
  frame_.OnCommand(cmd::kSystemProxy);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{kNoSystemProxy});
  proxy().SetSystemProxy({u"http=s:1", u""});
  st().curpro = u"other:1";
  frame_.OnCommand(cmd::kSystemProxy);
  EXPECT_TRUE(st().proxyEnable);
  EXPECT_EQ(st().curpro, u"http=s:1");
  EXPECT_EQ(engines_.proxies.back().schemes.size(), 1u);
  frame_.OnCommand(cmd::kSystemProxy);
  EXPECT_FALSE(st().proxyEnable);
}

TEST_F(ProxyCommands, RefusedAddressKeepsTheSettings) {
  st().curpro = u"host:99999";
  st().proname = u"x";
  frame_.OnCommand(cmd::kProxyEnable);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{kProxyRefused});
  // The pages go on as before (straight): so does the switch.
  EXPECT_FALSE(st().proxyEnable);
  EXPECT_EQ(frame_.CommandChecked(cmd::kProxyEnable), false);
  EXPECT_EQ(st().curpro, u"host:99999");
  st().proxyEnable = true;
  engines_.refuseProxy = true;
  st().curpro = u"good:1";
  EXPECT_FALSE(proxy().ApplyProxy());
  EXPECT_EQ(prompts_.messages.size(), 2u);
}

TEST_F(ProxyCommands, DialogResultIsStoredAppliedAndSaved) {
  ProxyDialogState d = proxy().DialogState();
  ASSERT_EQ(d.list.categories.size(), 3u);
  EXPECT_EQ(d.bypass, u"");  // the third category's bypass list (built-in: empty)
  AddProxyEntry(d, 2, -1, {u"Mine", u"10.1.1.1:3128", 3});
  SelectProxyEntry(d, 2, 0);
  d.chosen = u"  10.1.1.1:3128 ";
  d.enable = true;
  d.bypass = u"a.com";
  d.webTemplate = u"  http://px/?u=%s ";
  proxy().ApplyDialog(d);
  EXPECT_TRUE(st().proxyEnable);
  EXPECT_EQ(st().curpro, u"10.1.1.1:3128");
  EXPECT_EQ(st().proname, u"Mine");
  EXPECT_EQ(st().exception, u"a.com <local>");
  EXPECT_EQ(st().webprx, u"http://px/?u=%s");
  ASSERT_FALSE(engines_.proxies.empty());
  EXPECT_EQ(engines_.proxies.back().defaultProxy, "http://10.1.1.1:3128");
  // The save waits for an idle moment of the main loop, then a worker writes a copy.
  EXPECT_TRUE(proxy().dirty());
  for (int i = 0; i < 500 && proxy().dirty(); ++i) {
    loop_.RunPosted();
    if (proxy().dirty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(proxy().dirty());
  ProxyList back;
  ASSERT_TRUE(LoadProxyFile(back, u"<local>"));
  ASSERT_EQ(back.categories[2].entries.size(), 1u);
  EXPECT_EQ(back.categories[2].exception, u"a.com");
}

TEST_F(ProxyCommands, WebProxyOfATab) {
  // No tab: nothing to switch.
  EXPECT_FALSE(frame_.CommandEnabled(cmd::kWebProxy));
  frame_.OpenInNewTab(u"http://a.example/", true);
  loop_.RunPosted();
  CVOPView* view = frame_.ActiveView();
  ASSERT_TRUE(view);
  frame_.OnCommand(cmd::kWebProxy);
  EXPECT_EQ(prompts_.messages, std::vector<u16>{kChooseWebProxyFirst});
  EXPECT_FALSE(view->webProxyMode);
  st().webprx = u"http://px/?u=";
  frame_.OnCommand(cmd::kWebProxy);
  EXPECT_TRUE(view->webProxyMode);
  EXPECT_EQ(frame_.CommandChecked(cmd::kWebProxy), true);
  // The page again, through the template.
  FakeEngine* engine = engines_.created.back();
  ASSERT_FALSE(engine->navigations.empty());
  EXPECT_EQ(engine->navigations.back(), u"http://px/?u=http://a.example/");
  frame_.OnCommand(cmd::kWebProxy);
  EXPECT_FALSE(view->webProxyMode);
  EXPECT_EQ(engine->navigations.back(), u"http://a.example/");
}

namespace {
// The dialogs answer from a script.
class ScriptedProxyDialogs : public ProxyDialogsView {
 public:
  bool EditProxies(ProxyDialogState&) override { return false; }
  std::optional<Scheme> AskScheme(const std::vector<u16>& names, bool import) override {
    offered = names;
    offeredImport = import;
    return scheme;
  }
  std::optional<u16> AskOpenFile(u16view) override { return openAnswer; }
  std::optional<Scheme> scheme;
  std::optional<u16> openAnswer;
  std::vector<u16> offered;
  bool offeredImport = false;
};
}  // namespace

TEST_F(ProxyCommands, ImportIntoANewSchemeThenExportIt) {
  ScriptedProxyDialogs dialogs;
  proxy().SetDialogs(&dialogs);
  std::string file = profile_.dir() / "list.txt";
  ASSERT_TRUE(WriteFileAtomic(file, "\xFF\xFE" + EncodeUtf16Le(u"10.0.0.1:1080@SOCKS#a\r\n"
                                                               u"garbage line\r\n"
                                                               u"1.2.3.4:80$x\r\n")));
  dialogs.openAnswer = FromUtf8(file);
  dialogs.scheme = ProxyDialogsView::Scheme{-1, u"新方案", false};
  frame_.OnCommand(cmd::kImportProxies);
  // Web categories are not offered.
  EXPECT_EQ(dialogs.offered, std::vector<u16>{kProxyServerCategory});
  EXPECT_TRUE(dialogs.offeredImport);
  // The file is read by a worker; its entries arrive through the loop.
  for (int i = 0; i < 500 && proxy().list().categories.size() < 4; ++i) {
    loop_.RunPosted();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(proxy().list().categories.size(), 4u);
  const ProxyCategory& added = proxy().list().categories[3];
  EXPECT_EQ(added.name, u"新方案");
  ASSERT_EQ(added.entries.size(), 2u);
  EXPECT_EQ(added.entries[0], (ProxyEntry{u"a", u"socks=10.0.0.1:1080", 3}));
  EXPECT_EQ(added.entries[1].speed, 0);
  EXPECT_TRUE(proxy().dirty());

  std::string out = profile_.dir() / "out.txt";
  prompts_.saveAnswer = FromUtf8(out);
  dialogs.scheme = ProxyDialogsView::Scheme{1, u"", false};
  frame_.OnCommand(cmd::kExportProxies);
  EXPECT_FALSE(dialogs.offeredImport);
  EXPECT_EQ(ReadFileBytes(out).value_or(""), "10.0.0.1:1080@SOCKS#a\n1.2.3.4:80@HTTP#1.2.3.4:80\n");
  EXPECT_EQ(prompts_.saveFilters, std::vector<u16>{u16(kProxyListFilter) + u"|txt"});
}
