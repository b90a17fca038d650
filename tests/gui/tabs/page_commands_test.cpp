// The page commands in the real window over real pages: the find bar (Ctrl+F), the page's
// source in a tab of its own, and downloads from the local server into real files.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/commands.h"
#include "collector/collector_store.h"
#include "downloads/downloads_controller.h"
#include "frame/gtk/main_window.h"
#include "view/gtk/webkit_engine.h"
#include "support/menu_path.h"
#include "support/pump.h"
#include "support/synth_input.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

class PageCommandsGui : public FrameTest {
 protected:
  void Press(guint keyval, guint state = 0) {
    PressKeyIn(GTK_WIDGET(window().gobj()), keyval, state);
    PumpFor(30ms);
  }
  std::string Text(const std::string& name) {
    GtkWidget* w = probe().Find(name);
    if (!w) return "<none>";
    if (GTK_IS_LABEL(w)) return gtk_label_get_text(GTK_LABEL(w));
    if (GTK_IS_ENTRY(w)) return gtk_entry_get_text(GTK_ENTRY(w));
    if (GTK_IS_PROGRESS_BAR(w)) {
      const char* t = gtk_progress_bar_get_text(GTK_PROGRESS_BAR(w));
      return t ? t : "";
    }
    return "<?>";
  }
  bool Shown(const std::string& name) {
    GtkWidget* w = probe().Find(name);
    return w && gtk_widget_is_visible(w);
  }
  std::string Selected(CChildFrame* tab) { return Run(tab, "String(window.getSelection())"); }
  // A text as the page's JSON gives it back (quotes, backslashes and line ends escaped).
  static std::string JsonText(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
      if (c == '"' || c == '\\') out += '\\';
      if (c == '\n') {
        out += "\\n";
        continue;
      }
      out += c;
    }
    return out + "\"";
  }
};

// ---- Find bar ----

TEST_F(PageCommandsGui, CtrlFFindsAndCountsTextOnThePage) {
  server_.SetPage("/fruit", R"HTML(<html><head><meta charset="utf-8"><title>Fruit</title></head>
      <body><p>apple banana</p><p>Apple cherry <b>app</b>le</p><p>苹果 apple</p></body></html>)HTML");
  CChildFrame* tab = OpenAndWait("/fruit", "Fruit");
  ASSERT_NE(tab, nullptr);
  ASSERT_FALSE(Shown("find-bar"));
  Press(GDK_KEY_f, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Shown("find-bar"); }));
  GtkWidget* entry = probe().Find("find-entry");
  ASSERT_TRUE(entry);
  EXPECT_TRUE(PumpUntil([&] { return gtk_widget_is_focus(entry); }));

  // Typing searches at once, letter by letter; the match across two elements counts as one.
  for (guint key : {GDK_KEY_a, GDK_KEY_p, GDK_KEY_p, GDK_KEY_l, GDK_KEY_e}) Press(key);
  ASSERT_EQ(gtk_entry_get_text(GTK_ENTRY(entry)), std::string("apple"));
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/4"; })) << Text("find-count");
  // Enter goes to the next match, Shift+Enter back; past the last it wraps.
  Press(GDK_KEY_Return);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "2/4"; })) << Text("find-count");
  // The count is the bar's; the page's selection follows a moment later.
  EXPECT_TRUE(PumpUntil([&] { return Selected(tab) == "\"Apple\""; })) << Selected(tab);
  Press(GDK_KEY_Return);
  Press(GDK_KEY_Return);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "4/4"; })) << Text("find-count");
  Press(GDK_KEY_Return);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/4"; })) << Text("find-count");
  Press(GDK_KEY_Return, GDK_SHIFT_MASK);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "4/4"; })) << Text("find-count");
  gtk_button_clicked(GTK_BUTTON(probe().Find("find-previous")));
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "3/4"; })) << Text("find-count");

  // Match case leaves the capitalised one out.
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(probe().Find("find-match-case")), TRUE);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/3"; })) << Text("find-count");
  gtk_entry_set_text(GTK_ENTRY(entry), "苹果");
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/1"; })) << Text("find-count");
  EXPECT_EQ(Selected(tab), "\"苹果\"");
  gtk_entry_set_text(GTK_ENTRY(entry), "kiwi");
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "找不到"; })) << Text("find-count");

  // Esc in the bar closes it and gives the page back; the page is not stopped or changed.
  gtk_widget_grab_focus(entry);
  Press(GDK_KEY_Escape);
  EXPECT_TRUE(PumpUntil([&] { return !Shown("find-bar"); }));
  EXPECT_EQ(tab->caption, u"Fruit");
}

TEST_F(PageCommandsGui, TheFindBarFollowsTheTabInFront) {
  server_.SetPage("/one", "<html><head><title>One</title></head><body>x x x</body></html>");
  server_.SetPage("/two", "<html><head><title>Two</title></head><body>x y</body></html>");
  CChildFrame* one = OpenAndWait("/one", "One");
  CChildFrame* two = OpenAndWait("/two", "Two");
  ASSERT_TRUE(one && two);
  frame().OnCommand(cmd::kFind);
  gtk_entry_set_text(GTK_ENTRY(probe().Find("find-entry")), "x");
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/1"; })) << Text("find-count");
  frame().ActivateTab(one);
  ASSERT_TRUE(PumpUntil([&] { return Text("find-count") == "1/3"; })) << Text("find-count");
  gtk_button_clicked(GTK_BUTTON(probe().Find("find-close")));
  EXPECT_FALSE(Shown("find-bar"));
}

// ---- View source ----

TEST_F(PageCommandsGui, ViewSourceShowsTheServedHtml) {
  const std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Src</title>"
      "<script>document.title = 'Changed';</script></head>\n"
      "<body><p id=\"x\">Tom &amp; Jerry <b>bold</b> 中文</p></body></html>\n";
  server_.SetPage("/src", html);
  CChildFrame* page = OpenAndWait("/src", "Changed");
  ASSERT_NE(page, nullptr);
  const int hits = server_.Hits("/src");
  frame().OnCommand(cmd::kViewSource);
  CChildFrame* source = nullptr;
  const std::string caption = "源文件: " + server_.Url("/src");
  ASSERT_TRUE(PumpUntil([&] {
    source = frame().ActiveChild();
    return source && source != page && source->caption == FromUtf8(caption);
  })) << (source ? ToUtf8(source->caption) : "");
  EXPECT_EQ(probe().AddressText(), "view-source:" + server_.Url("/src"));
  // The text shown is the HTML as served, byte for byte, read from the open tab.
  std::string shown = Run(source, "document.getElementById('source').textContent");
  EXPECT_EQ(shown, JsonText(html));
  EXPECT_EQ(Run(source, "document.getElementsByTagName('b').length"), "0");
  EXPECT_EQ(server_.Hits("/src"), hits);

  // An address no tab shows is fetched for its source.
  server_.SetPage("/other", "<html><head><title>Other</title></head><body>o</body></html>");
  probe().EnterAddress("view-source:" + server_.Url("/other"), GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([&] {
    return Run(frame().ActiveChild(), "document.getElementById('source') ? "
                                      "document.getElementById('source').textContent : ''") ==
           "\"<html><head><title>Other</title></head><body>o</body></html>\"";
  }));
  EXPECT_EQ(server_.Hits("/other"), 1);
}

// ---- Refresh ----

// A one-page HTTP server on a port chosen before it listens, on the test's main loop.
class LatePage {
 public:
  LatePage() {
    // A port that is free now: nothing answers on it until Listen.
    GSocketListener* probe = g_socket_listener_new();
    port_ = g_socket_listener_add_any_inet_port(probe, nullptr, nullptr);
    g_socket_listener_close(probe);
    g_object_unref(probe);
  }
  ~LatePage() {
    if (service_) {
      g_socket_service_stop(service_);
      g_socket_listener_close(G_SOCKET_LISTENER(service_));
      g_object_unref(service_);
    }
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/late"; }
  bool Listen() {
    service_ = g_socket_service_new();
    GInetAddress* local = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    GSocketAddress* address = g_inet_socket_address_new(local, guint16(port_));
    g_object_unref(local);
    bool ok = g_socket_listener_add_address(G_SOCKET_LISTENER(service_), address,
                                            G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, nullptr,
                                            nullptr, nullptr);
    g_object_unref(address);
    g_signal_connect(service_, "incoming",
                     G_CALLBACK(+[](GSocketService*, GSocketConnection* c, GObject*, gpointer) {
                       char buf[4096];
                       g_input_stream_read(g_io_stream_get_input_stream(G_IO_STREAM(c)), buf,
                                           sizeof buf, nullptr, nullptr);
                       const std::string body =
                           "<html><head><title>Late</title></head><body>here now</body></html>";
                       const std::string reply =
                           "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
                           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
                       g_output_stream_write_all(g_io_stream_get_output_stream(G_IO_STREAM(c)),
                                                 reply.data(), reply.size(), nullptr, nullptr,
                                                 nullptr);
                       g_io_stream_close(G_IO_STREAM(c), nullptr, nullptr);
                       return TRUE;
                     }),
                     nullptr);
    g_socket_service_start(service_);
    return ok;
  }

 private:
  int port_ = 0;
  GSocketService* service_ = nullptr;
};

TEST_F(PageCommandsGui, RefreshOnAnErrorPageLoadsTheFailedAddressAgain) {
  LatePage late;
  CChildFrame* tab = frame().OpenUrl(FromUtf8(late.Url()),
                                     {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return tab->caption == u"无法显示网页" && tab->view()->loadState < 0; }))
      << ToUtf8(tab->caption);
  EXPECT_EQ(tab->view()->CurrentAddress(), FromUtf8(late.Url()));
  ASSERT_TRUE(late.Listen());
  frame().OnCommand(cmd::kRefresh);
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Late"; })) << ToUtf8(tab->caption);
  EXPECT_EQ(probe().AddressText(), late.Url());
}

// ---- Downloads ----

class DownloadsGui : public PageCommandsGui {
 protected:
  void SetUp() override {
    PageCommandsGui::SetUp();
    target_ = dir_.path() + "/saved";
    fs::create_directories(target_);
    // 5 MB that are not all alike, so a misplaced block shows.
    body_.resize(5 * 1024 * 1024);
    uint32_t x = 12345;
    for (char& c : body_) {
      x = x * 1103515245u + 12345u;
      c = char(x >> 24);
    }
  }
  CChildFrame* PageWithLink(const std::string& file) {
    server_.SetPage("/get", "<html><head><title>Get</title></head><body><a id=\"dl\" href=\"" +
                                file + "\">file</a></body></html>");
    return OpenAndWait("/get", "Get");
  }
  std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
  }
  const DownloadsController& downloads() { return frame().controller<DownloadsController>(); }
  std::string target_;
  std::string body_;
};

TEST_F(DownloadsGui, ALocalFiveMegabyteDownloadCompletesWithTheRightBytes) {
  server_.SetFile("/files/big.bin", "big.bin", body_);
  CChildFrame* tab = PageWithLink("/files/big.bin");
  ASSERT_NE(tab, nullptr);
  const std::string path = target_ + "/big.bin";
  destinations_.answers = {FromUtf8(path)};
  Click(tab, "dl");
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == "下载完成: " + path; }, 60s))
      << probe().StatusText();
  // Asked once, with the suggested name.
  ASSERT_EQ(destinations_.asked.size(), 1u);
  EXPECT_EQ(destinations_.asked[0].second, u"big.bin");
  std::ifstream in(path, std::ios::binary);
  std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got.size(), body_.size());
  EXPECT_TRUE(got == body_);
  // Nothing else is left in the folder (no temporary file).
  EXPECT_EQ(FilesIn(target_), std::vector<std::string>{"big.bin"});
  // The bar shows the finished row; the page stays as it was.
  EXPECT_TRUE(Shown("downloads-bar"));
  EXPECT_EQ(Text("download-name"), "big.bin");
  EXPECT_EQ(Text("download-progress"), "已完成 5.00 MB");
  EXPECT_TRUE(gtk_widget_get_sensitive(probe().Find("download-open")));
  EXPECT_EQ(tab->caption, u"Get");
  EXPECT_EQ(downloads().savedFiles(), std::vector<u16>{FromUtf8(path)});
}

TEST_F(DownloadsGui, ASavedPageIsRecordedLikeADownload) {
  CChildFrame* tab = OpenAndWait("/t/Saved", "Saved");
  ASSERT_NE(tab, nullptr);
  static_cast<WebKitEngine*>(tab->view()->engine())->SetSaveFolder(target_);
  frame().OnCommand(cmd::kSavePageNoPrompt);
  const std::string path = target_ + "/Saved.mht";
  ASSERT_TRUE(PumpUntil([&] { return !downloads().savedFiles().empty(); }));
  EXPECT_EQ(downloads().savedFiles(), std::vector<u16>{FromUtf8(path)});
  EXPECT_TRUE(fs::file_size(path) > 0);
}

TEST_F(DownloadsGui, ACancelledDownloadLeavesNoFile) {
  // The server sends 1 MB and then nothing: the download is cancelled from its row.
  server_.SetFile("/files/stall.bin", "stall.bin", body_, 1024 * 1024);
  CChildFrame* tab = PageWithLink("/files/stall.bin");
  ASSERT_NE(tab, nullptr);
  const std::string path = target_ + "/stall.bin";
  destinations_.answers = {FromUtf8(path)};
  Click(tab, "dl");
  ASSERT_TRUE(PumpUntil([&] {
    for (const auto& [id, item] : downloads().items())
      if (item.received >= 1024 * 1024) return true;
    return false;
  }, 60s));
  EXPECT_FALSE(fs::exists(path));  // not under its name while it runs
  gtk_button_clicked(GTK_BUTTON(probe().Find("download-cancel")));
  ASSERT_TRUE(PumpUntil([&] { return Text("download-progress") == "已取消"; })) << Text("download-progress");
  PumpFor(300ms);
  EXPECT_TRUE(FilesIn(target_).empty()) << FilesIn(target_).front();

  // A save dialog answered with cancel writes nothing either.
  server_.SetFile("/files/small.bin", "small.bin", body_.substr(0, 1000));
  destinations_.answers = {std::nullopt};
  tab->view()->Navigate(FromUtf8(server_.Url("/files/small.bin")));
  ASSERT_TRUE(PumpUntil([&] { return destinations_.asked.size() == 2; }));
  PumpFor(300ms);
  EXPECT_TRUE(FilesIn(target_).empty());
  EXPECT_FALSE(fs::exists(dir_.path() + "/small.bin"));
}

}  // namespace

namespace {
// A tab opened for an address that is a download goes; a tab that shows a page keeps it.
TEST_F(DownloadsGui, ATabOpenedOnlyForADownloadGoes) {
  CChildFrame* first = OpenAndWait("/t/First", "First");
  ASSERT_NE(first, nullptr);
  server_.SetFile("/files/small.bin", "small.bin", body_.substr(0, 1000));
  destinations_.answers = {FromUtf8(target_ + "/small.bin"), FromUtf8(target_ + "/again.bin")};
  CChildFrame* t = frame().OpenUrl(FromUtf8(server_.Url("/files/small.bin")),
                                   {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(target_ + "/small.bin"); }));
  ASSERT_TRUE(PumpUntil([&] { return frame().TabCount() == 1 && frame().ActiveChild() == first; }));
  EXPECT_EQ(Entries(), std::vector<std::string>{"First"});

  // From a page: the page stays, with its address in the box.
  first->view()->Navigate(FromUtf8(server_.Url("/files/small.bin")));
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(target_ + "/again.bin"); }));
  PumpFor(300ms);
  EXPECT_EQ(frame().TabCount(), 1);
  EXPECT_EQ(first->caption, u"First");
  EXPECT_EQ(probe().AddressText(), server_.Url("/t/First"));
  EXPECT_EQ(first->view()->CurrentAddress(), FromUtf8(server_.Url("/t/First")));
}
}  // namespace

namespace {

// A finished download is recorded in the output collector as "文件已保存 =>" and its path.
TEST_F(DownloadsGui, AFinishedDownloadIsRecordedAsSaved) {
  server_.SetFile("/files/small.bin", "small.bin", body_.substr(0, 1000));
  CChildFrame* tab = PageWithLink("/files/small.bin");
  ASSERT_NE(tab, nullptr);
  const std::string path = target_ + "/small.bin";
  destinations_.answers = {FromUtf8(path)};
  Click(tab, "dl");
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText().find("下载完成") != std::string::npos; }, 60s));
  const std::string store = ProfileFolder() + "/" + StoreFileName(CollectorStore::Output);
  std::string record;
  ASSERT_TRUE(PumpUntil([&] {
    record = ToUtf8(LoadStoreFile(store));
    return record.find("文件已保存") != std::string::npos;
  }));
  EXPECT_NE(record.find("文件已保存 =>" + path + "\r\n"), std::string::npos) << record;
}

}  // namespace
