// A frame over fake ports, for tests of the tab model and the views.
#pragma once

#include <gtest/gtest.h>

#include "fakes/fake_engine.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_shell.h"
#include "fakes/temp_dir.h"
#include "view/child_frame.h"
#include "base/commands.h"
#include "frame/main_frame.h"

namespace zel::test {

class FrameFixture : public ::testing::Test {
 protected:
  FrameFixture()
      : frame_({&window_, &loop_, &prompts_, nullptr, &shell_, &engines_, &keys_, &clipboard_}) {
    // The settings a first run would have.
    frame_.settings().newsequence = 1;
    frame_.settings().activateNewTabs = true;
    frame_.settings().closeactiveseq = 0;
    frame_.settings().newtabhome = true;
  }

  FakeEngine* EngineOf(CChildFrame* c) { return static_cast<FakeEngine*>(c->view()->engine()); }

  // Opens a page in a new tab and lets it load with the given title.
  CChildFrame* OpenPage(const std::string& url, const std::string& title,
                        TabChoice tab = TabChoice::New) {
    CChildFrame* c = frame_.OpenUrl(
        FromUtf8(url), {.tab = tab, .start = StartKind::Address, .show = frame_.activateNewTabs()});
    if (c) EngineOf(c)->FinishLoad(FromUtf8(title));
    loop_.RunPosted();
    return c;
  }
  CChildFrame* OpenBlank() {
    frame_.OnCommand(cmd::kNewBlankPage);
    loop_.RunPosted();
    return frame_.ActiveChild();
  }
  u16 LastNavigation() {
    FakeEngine* e = engines_.created.back();
    return e->navigations.empty() ? u16() : e->navigations.back();
  }
  void Close(CChildFrame* c) {
    frame_.PostCloseTab(c);
    loop_.RunPosted();
  }
  std::vector<u16> Captions() { return window_.Captions(); }

  ScratchProfile profile_;
  FakeWindow window_;
  FakeLoop loop_;
  FakePrompts prompts_;
  FakeShell shell_;
  FakeEngineFactory engines_;
  FakeKeys keys_;
  FakeClipboard clipboard_;
  CMainFrame frame_;
};

}  // namespace zel::test
