// The proxy with real pages: a real proxy on 127.0.0.1 inside the test forwards what the
// browser sends it to the page server and counts it.
#include <gtest/gtest.h>

#include "base/commands.h"
#include "proxy/proxy_controller.h"
#include "support/proxy_server.h"
#include "support/pump.h"
#include "tabs/frame_test.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class Proxies : public FrameTest {
 protected:
  // The proxy chosen as from the dialog, then switched on with its command.
  void UseProxy(const std::string& address, const std::u16string& bypass) {
    FrameSettings& s = frame().settings();
    s.curpro = FromUtf8(address);
    s.proname = u"test";
    s.exception = bypass;
    if (!s.proxyEnable) {
      frame().OnCommand(cmd::kProxyEnable);
    } else {
      frame().controller<ProxyController>().ApplyProxy();
    }
    ASSERT_TRUE(s.proxyEnable);
    ASSERT_TRUE(prompts_.messages.empty()) << ToUtf8(prompts_.messages.front());
  }
  ProxyServer proxy_;
};

TEST_F(Proxies, PagesGoThroughTheProxyUntilItIsSwitchedOff) {
  UseProxy(proxy_.HostPort(), u"");
  ASSERT_NE(OpenAndWait("/t/Via", "Via"), nullptr);
  EXPECT_GE(proxy_.ForwardedCount("/t/Via"), 1);
  EXPECT_GE(server_.Hits("/t/Via"), 1);  // the page came from its server, through the proxy
  EXPECT_EQ(frame().CommandChecked(cmd::kProxyEnable), true);

  frame().OnCommand(cmd::kProxyEnable);
  EXPECT_FALSE(frame().settings().proxyEnable);
  ASSERT_NE(OpenAndWait("/t/Straight", "Straight"), nullptr);
  EXPECT_EQ(proxy_.ForwardedCount("/t/Straight"), 0);
  EXPECT_EQ(server_.Hits("/t/Straight"), 1);
}

TEST_F(Proxies, APerSchemeListSendsOnlyItsScheme) {
  UseProxy("https=" + proxy_.HostPort(), u"");
  ASSERT_NE(OpenAndWait("/t/Plain", "Plain"), nullptr);
  EXPECT_EQ(proxy_.ForwardedCount("/t/Plain"), 0);
  UseProxy("ftp=127.0.0.1:9;http=" + proxy_.HostPort(), u"");
  ASSERT_NE(OpenAndWait("/t/Named", "Named"), nullptr);
  EXPECT_GE(proxy_.ForwardedCount("/t/Named"), 1);
}

TEST_F(Proxies, BypassedHostsGoStraight) {
  // "<local>" covers the loopback addresses the page server is on.
  UseProxy(proxy_.HostPort(), u"<local>");
  ASSERT_NE(OpenAndWait("/t/Local", "Local"), nullptr);
  EXPECT_EQ(proxy_.ForwardedCount("/t/Local"), 0);
  UseProxy(proxy_.HostPort(), u"example.org 127.0.0.1");
  ASSERT_NE(OpenAndWait("/t/Listed", "Listed"), nullptr);
  EXPECT_EQ(proxy_.ForwardedCount("/t/Listed"), 0);
  // The view made ahead for the next tab starts its process without sending anything out.
  ASSERT_TRUE(PumpUntil([] { return WebProcessCount() >= 3; }, 20s));
  PumpFor(300ms);
  EXPECT_TRUE(proxy_.Forwarded().empty()) << proxy_.Forwarded().front();
}

TEST_F(Proxies, WebProxyTemplateWrapsTheTabsPage) {
  CChildFrame* tab = OpenAndWait("/t/Start", "Start");
  ASSERT_NE(tab, nullptr);
  frame().settings().webprx = FromUtf8("http://" + proxy_.HostPort() + "/wp?u=%s");
  frame().OnCommand(cmd::kWebProxy);
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"WebProxy"; }));
  // The pages asked of the web proxy (its site icon is asked for too).
  auto pages = [&] {
    std::vector<std::string> out;
    for (const std::string& a : proxy_.Direct())
      if (a.find("/wp?") != std::string::npos) out.push_back(a);
    return out;
  };
  std::vector<std::string> asked = pages();
  ASSERT_EQ(asked.size(), 1u);
  std::string wrapped = "u=http%3A%2F%2F127.0.0.1%3A" + std::to_string(server_.port()) +
                        "%2Ft%2FStart";
  EXPECT_NE(asked[0].find(wrapped), std::string::npos) << asked[0];
  // Off again: the page itself, straight from its server.
  int before = server_.Hits("/t/Start");
  frame().OnCommand(cmd::kWebProxy);
  EXPECT_FALSE(tab->view()->webProxyMode);
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Start"; }));
  EXPECT_EQ(server_.Hits("/t/Start"), before + 1);
  EXPECT_EQ(pages().size(), 1u);
}

}  // namespace
