// The real frame (window, tabs, WebKit engines) in the test process, with pages from a
// local server and scripted prompts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/gtk/frame_host.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "view/child_frame.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "support/window_probe.h"
#include "support/test_server.h"

namespace zel::test {

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs after the profile exists and before the frame starts (files a test wants read).
  virtual void BeforeStart() {}
  std::string ProfileFolder() const { return dir_.path() + "/profile/Defaults"; }

  CMainFrame& frame();
  MainWindow& window();
  // The window's widgets as a user sees them.
  WindowProbe probe();
  std::vector<std::string> Entries();
  bool CaptionIs(const std::string& c);
  // Opens a server page in a new tab and waits until its title is on the tab.
  CChildFrame* OpenAndWait(const std::string& path, const std::string& title);
  // Runs a script in a tab's page and waits for its JSON answer ("" on failure).
  std::string Run(CChildFrame* tab, const std::string& script);
  // The middle of the element with the id, in the page's coordinates ((-1, -1) when the
  // page has no such element).
  std::pair<double, double> Center(CChildFrame* tab, const std::string& id);
  // A real click (a user gesture for the page) on the element with the id.
  // A left click on the element, with the modifier keys held (GDK_CONTROL_MASK ...).
  void Click(CChildFrame* tab, const std::string& id, guint mods = 0);
  GtkWidget* PageOf(CChildFrame* tab);

  TempDir dir_;
  // Set before SetUp: downloads ask with GTK's real save dialog instead of destinations_.
  bool realSaveDialog_ = false;
  // Set before SetUp: the window starts this wide (the first run's 800 pixels leave the
  // search bar folded into the row's menu).
  int startWidth_ = 0;
  FakePrompts prompts_;
  FakeDestinations destinations_;
  TestServer server_;
  std::unique_ptr<FrameHost> host_;
};

}  // namespace zel::test
