// Downloads of plain file links answered in GTK's real save dialog through the X server's
// pointer: what most servers send for a file (its type, no "attachment") is saved whole, in
// the desktop's download folder. ctest runs these with a scratch HOME of their own.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <filesystem>
#include <fstream>

#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "support/pump.h"
#include "support/xtest_input.h"
#include "tabs/frame_test.h"
#include "view/child_frame.h"
#include "view/vop_view.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

// Bytes that are not all alike, so a misplaced block shows.
std::string Body(size_t size, uint32_t seed) {
  std::string body(size, '\0');
  for (char& c : body) {
    seed = seed * 1103515245u + 12345u;
    c = char(seed >> 24);
  }
  return body;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The shown save dialog, once one is shown (null when none comes).
GtkWidget* ShownSaveDialog() {
  GtkWidget* found = nullptr;
  PumpUntil([&] {
    GList* tops = gtk_window_list_toplevels();
    for (GList* l = tops; l; l = l->next)
      if (GTK_IS_FILE_CHOOSER_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
        found = GTK_WIDGET(l->data);
    g_list_free(tops);
    return found != nullptr;
  }, 20s);
  return found;
}

// The dialog's button with that label.
GtkWidget* ButtonLabelled(GtkWidget* root, const std::string& label) {
  if (GTK_IS_BUTTON(root) && gtk_button_get_label(GTK_BUTTON(root)) &&
      label == gtk_button_get_label(GTK_BUTTON(root)))
    return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GtkWidget* hit = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  for (GList* l = children; l && !hit; l = l->next) hit = ButtonLabelled(GTK_WIDGET(l->data), label);
  g_list_free(children);
  return hit;
}

// The desktop's download folder as the desktop names it (a scratch HOME has no list of
// folders, so its "Downloads").
std::string DesktopDownloads() {
  const char* xdg = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  return xdg ? xdg : std::string(g_get_home_dir()) + "/Downloads";
}

class PlainDownloads : public FrameTest {
 protected:
  PlainDownloads() { realSaveDialog_ = true; }
  void TearDown() override {
    for (const std::string& path : made_) fs::remove(path);
    FrameTest::TearDown();
  }
  std::vector<std::string> made_;
};

// A .tar.gz as application/gzip, a .zip and a type nobody knows, each a plain link: a click
// asks where to save in the desktop's download folder, "保存" clicked with the pointer
// saves the whole file there, and the page stays.
TEST_F(PlainDownloads, PlainFileLinksAreSavedWholeInTheDownloadFolder) {
  XPointerKeeper keeper;
  const std::string folder = DesktopDownloads();
  struct Row {
    const char* id;
    const char* path;
    const char* type;
    size_t size;
  } rows[] = {{"targz", "/files/source-1.2.tar.gz", "application/gzip", 300 * 1024},
              {"zip", "/files/pictures.zip", "application/zip", 200 * 1024},
              {"odd", "/files/data.zelx", "application/x-zel-unknown", 100 * 1024}};
  std::string links;
  uint32_t seed = 7;
  std::vector<std::string> bodies;
  for (const Row& r : rows) {
    bodies.push_back(Body(r.size, seed++));
    server_.SetPlainFile(r.path, r.type, bodies.back());
    links += std::string("<p><a id=\"") + r.id + "\" href=\"" + r.path + "\">" + r.id + "</a></p>";
  }
  server_.SetPage("/get", "<html><head><title>Get</title></head><body>" + links + "</body></html>");
  CChildFrame* tab = OpenAndWait("/get", "Get");
  ASSERT_NE(tab, nullptr);
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    const std::string name = fs::path(r.path).filename().string();
    const std::string path = folder + "/" + name;
    fs::remove(path);
    made_.push_back(path);
    Click(tab, r.id);
    GtkWidget* dialog = ShownSaveDialog();
    ASSERT_NE(dialog, nullptr) << "no save dialog for " << name;
    // The chooser takes its folder as it loads it.
    gchar* shownFolder = nullptr;
    PumpUntil([&] {
      g_free(shownFolder);
      shownFolder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog));
      return shownFolder != nullptr;
    }, 5s);
    EXPECT_EQ(fs::path(shownFolder ? shownFolder : ""), fs::path(folder)) << name;
    g_free(shownFolder);
    gchar* shownName = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
    EXPECT_EQ(std::string(shownName ? shownName : ""), name);
    g_free(shownName);
    GtkWidget* save = ButtonLabelled(dialog, "保存");
    ASSERT_NE(save, nullptr);
    XMoveTo(save, gtk_widget_get_allocated_width(save) / 2, gtk_widget_get_allocated_height(save) / 2);
    XButton(1, true);
    XButton(1, false);
    ASSERT_TRUE(PumpUntil([&] { return fs::exists(path) && fs::file_size(path) == r.size; }, 60s))
        << path;
    EXPECT_TRUE(ReadAll(path) == bodies[i]) << name;
    EXPECT_TRUE(PumpUntil([&] { return probe().StatusText() == "下载完成: " + path; }))
        << probe().StatusText();
  }
  // Nothing but the files (no temporary names) in the folder, and the page is still there.
  for (const auto& e : fs::directory_iterator(folder))
    EXPECT_NE(e.path().extension(), ".zeldownload") << e.path();
  EXPECT_EQ(frame().TabCount(), 1);
  EXPECT_EQ(tab->caption, u"Get");
}

// Typed into the address box of the blank tab, a plain file downloads: the dialog comes and
// the file is saved; the window keeps a tab.
TEST_F(PlainDownloads, AFileTypedIntoTheAddressBoxIsSaved) {
  XPointerKeeper keeper;
  const std::string body = Body(64 * 1024, 99);
  server_.SetPlainFile("/files/typed.tar.gz", "application/gzip", body);
  const std::string path = DesktopDownloads() + "/typed.tar.gz";
  fs::remove(path);
  made_.push_back(path);
  probe().EnterAddress(server_.Url("/files/typed.tar.gz"), GdkModifierType(0));
  GtkWidget* dialog = ShownSaveDialog();
  ASSERT_NE(dialog, nullptr);
  GtkWidget* save = ButtonLabelled(dialog, "保存");
  ASSERT_NE(save, nullptr);
  XMoveTo(save, gtk_widget_get_allocated_width(save) / 2, gtk_widget_get_allocated_height(save) / 2);
  XButton(1, true);
  XButton(1, false);
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(path) && fs::file_size(path) == body.size(); }, 60s));
  EXPECT_TRUE(ReadAll(path) == body);
  EXPECT_GE(frame().TabCount(), 1);
}

}  // namespace
