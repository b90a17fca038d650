// The collector pane of the real frame: its files, its window, scripts it runs on pages.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include "base/commands.h"
#include "base/files.h"
#include "collector/collector_controller.h"
#include "collector/collector_store.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

class CollectorPaneTest : public FrameTest {
 protected:
  CollectorController& collector() { return frame().controller<CollectorController>(); }
  std::string FileOf(CollectorStore s) { return ProfileFolder() + "/" + StoreFileName(s); }
  // The pane's window and text field, found as a user would see them.
  Gtk::Window* PaneWindow() {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
      if (w->get_name() == "collector-pane") return w;
    return nullptr;
  }
  Gtk::TextView* PaneText() {
    Gtk::Window* w = PaneWindow();
    if (!w) return nullptr;
    std::function<Gtk::TextView*(Gtk::Widget*)> find = [&](Gtk::Widget* at) -> Gtk::TextView* {
      if (at->get_name() == "collector-text") return dynamic_cast<Gtk::TextView*>(at);
      if (auto* c = dynamic_cast<Gtk::Container*>(at))
        for (Gtk::Widget* child : c->get_children())
          if (auto* t = find(child)) return t;
      return nullptr;
    };
    return find(w);
  }
};

TEST_F(CollectorPaneTest, RecordsWhileClosedGoToTheFileAndTheOpenedPaneShowsThem) {
  WriteFileAtomic(FileOf(CollectorStore::Output), EncodeUtf16Le(u"earlier\r\n"));
  collector().switches().stamps = false;
  collector().CollectRecord(u"文件已保存 => /tmp/a.png", 11);
  EXPECT_EQ(LoadStoreFile(FileOf(CollectorStore::Output)), u"earlier\r\n文件已保存 => /tmp/a.png\r\n");
  ASSERT_TRUE(frame().OnCommand(cmd::kCollectorPane));
  ASSERT_TRUE(PumpUntil([&] { return PaneWindow() && PaneWindow()->get_visible(); }));
  EXPECT_EQ(PaneWindow()->get_title(), "收集器");
  // The output store is shown once a record goes there.
  collector().CollectRecord(u"内容过滤器 =>http://ad/x.gif", 15);
  Gtk::TextView* text = PaneText();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->get_buffer()->get_text().raw(),
            "earlier\r\n文件已保存 => /tmp/a.png\r\n内容过滤器 =>http://ad/x.gif\r\n");
  // Closing the window writes the stores.
  PaneWindow()->close();
  ASSERT_TRUE(PumpUntil([&] { return !PaneWindow()->get_visible(); }));
  EXPECT_EQ(LoadStoreFile(FileOf(CollectorStore::Output)),
            u"earlier\r\n文件已保存 => /tmp/a.png\r\n内容过滤器 =>http://ad/x.gif\r\n");
}

TEST_F(CollectorPaneTest, AScriptOfTheScriptCollectorRunsInThePage) {
  CChildFrame* tab = OpenAndWait("/t/Script", "Script");
  ASSERT_NE(tab, nullptr);
  frame().OnCommand(cmd::kCollectorPane);
  frame().OnCommand(cmd::kCollectorScript);
  Gtk::TextView* text = PaneText();
  ASSERT_NE(text, nullptr);
  auto buffer = text->get_buffer();
  buffer->set_text("a note\r\n<script language=\"JavaScript\">document.title='Ran';</script>\r\n");
  // Nothing selected: the collector says so.
  frame().OnCommand(cmd::kCollectorRunScript);
  EXPECT_EQ(prompts_.messages.back(), u"请先在脚本收集器中选择脚本!");
  auto start = buffer->get_iter_at_line(1), end = start;
  end.forward_to_line_end();
  buffer->select_range(start, end);
  frame().OnCommand(cmd::kCollectorRunScript);
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Ran"; }));
  // A selection that is no whole script element is refused.
  buffer->select_range(buffer->begin(), buffer->get_iter_at_line(1));
  frame().OnCommand(cmd::kCollectorRunScript);
  EXPECT_EQ(prompts_.messages.back(), u"脚本内容错误!");
}

TEST_F(CollectorPaneTest, ADoubleClickOpensTheAddressOnItsLine) {
  frame().OnCommand(cmd::kCollectorPane);
  ASSERT_TRUE(PumpUntil([&] { return PaneWindow() && PaneWindow()->get_mapped(); }));
  Gtk::TextView* text = PaneText();
  ASSERT_NE(text, nullptr);
  std::string address = server_.Url("/t/Opened");
  text->get_buffer()->set_text("some words => " + address + "\r\n");
  ASSERT_TRUE(PumpUntil([&] { return text->get_realized() && text->get_allocated_height() > 20; }));
  // Two presses on the first line, as the window system reports a double click.
  GdkWindow* win = text->get_window(Gtk::TEXT_WINDOW_TEXT)->gobj();
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_2BUTTON_PRESS}) {
    GdkEvent* e = gdk_event_new(type);
    e->button.window = GDK_WINDOW(g_object_ref(win));
    e->button.button = 1;
    e->button.x = 40;
    e->button.y = 5;
    e->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(e, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(e);
    gdk_event_free(e);
  }
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() >= 1 && frame().ActiveChild() &&
                                     frame().ActiveChild()->caption == u"Opened"; }));
}

// The content filter's blocks are output records, kind 15.
class BlockedRecords : public CollectorPaneTest {
 protected:
  void BeforeStart() override {
    WriteFileAtomic(ProfileFolder() + "/blockage.ini",
                    "[URL]\r\nurl_block_count=1\r\nblock_0=http://127.0.0.1:*/ads/*\r\n");
    server_.SetPage("/page", R"HTML(<html><head><title>Page</title></head><body>
        <img src="/ads/Banner.png"></body></html>)HTML");
  }
};

TEST_F(BlockedRecords, EachBlockedRequestIsRecorded) {
  collector().switches().stamps = false;
  ASSERT_NE(OpenAndWait("/page", "Page"), nullptr);
  u16 expected = u"内容过滤器 =>" + FromUtf8(server_.Url("/ads/banner.png")) + u"\r\n";
  EXPECT_TRUE(PumpUntil([&] { return LoadStoreFile(FileOf(CollectorStore::Output)) == expected; }))
      << ToUtf8(LoadStoreFile(FileOf(CollectorStore::Output)));
  // Switched off, the next block leaves no record.
  collector().switches().kinds[15 - 11] = false;
  ASSERT_NE(OpenAndWait("/page", "Page"), nullptr);
  PumpFor(300ms);
  EXPECT_EQ(LoadStoreFile(FileOf(CollectorStore::Output)), expected);
}

}  // namespace
