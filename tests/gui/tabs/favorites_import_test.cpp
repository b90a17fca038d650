// A bookmark file imported through the real dialogs: thousands of entries go in on a thread of
// their own while the window keeps answering, and hostile names stay inside the Favorites
// folder, cleaned.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "base/commands.h"
#include "base/files.h"
#include "favorites/favorites_controller.h"
#include "support/pump.h"
#include "tabs/frame_test.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;

namespace {

class FavoritesImport : public FrameTest {};

TEST_F(FavoritesImport, ManyEntriesGoInWhileTheWindowAnswers) {
  constexpr int kEntries = 3000;
  std::string html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
  html += "<DT><A HREF=\"http://a.example/up\">../../escaped</A>\n";
  html += "<DT><A HREF=\"http://a.example/lines\">two&#13;&#10;lines</A>\n";
  html += "<DT><A HREF=\"javascript:alert(1)\">script</A>\n";
  html += "<DT><H3>../outside</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example/in\">inner</A>\n</DL><p>\n";
  for (int i = 0; i < kEntries; ++i)
    html += "<DT><A HREF=\"http://b.example/" + std::to_string(i) + "\">entry " + std::to_string(i) + "</A>\n";
  html += "</DL><p>\n";
  const std::string file = dir_.path() + "/bookmarks.html";
  ASSERT_TRUE(WriteFileAtomic(file, html));
  const std::string favorites = ProfileFolder() + "/Favorites";
  auto& favoritesController = frame().controller<FavoritesController>();
  favoritesController.Root();
  auto names = [&] {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(ProfileFolder())) out.insert(e.path().filename());
    return out;
  };
  const std::set<std::string> before = names();

  // The dialogs as a user answers them: import into the top folder, the file, then the result.
  std::string told;
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
          if (!w->get_mapped()) continue;
          if (w->get_name() == "favorites-transfer-dialog") {
            static_cast<Gtk::Dialog*>(w)->response(Gtk::RESPONSE_OK);
          } else if (auto* chooser = dynamic_cast<Gtk::FileChooserDialog*>(w)) {
            chooser->set_filename(file);
            chooser->response(Gtk::RESPONSE_OK);
          } else if (auto* box = dynamic_cast<Gtk::MessageDialog*>(w)) {
            told = box->property_text().get_value();
            box->response(Gtk::RESPONSE_OK);
          }
        }
        return true;
      },
      50);
  frame().OnCommand(cmd::kImportExportFavorites);
  // While it runs the loop keeps turning: no gap of half a second between two ticks.
  auto last = std::chrono::steady_clock::now();
  auto longest = 0ms;
  sigc::connection tick = Glib::signal_timeout().connect(
      [&] {
        auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::milliseconds>(now - last));
        last = now;
        return true;
      },
      20);
  ASSERT_TRUE(PumpUntil([&] { return favoritesController.importing(); }, 10s));
  EXPECT_TRUE(PumpUntil([&] { return !told.empty(); }, 120s));
  tick.disconnect();
  watch.disconnect();
  EXPECT_LT(longest.count(), 500) << "the window stopped for " << longest.count() << " ms";
  EXPECT_EQ(told, "已导入 " + std::to_string(kEntries + 4) + " 个收藏。");
  // The favorites menu (made on the import's thread) holds what came in.
  favoritesController.MenuIfStale();
  bool listed = false;
  for (int id = cmd::kFavoriteMenuFirst; id <= cmd::kFavoriteMenuLast && !listed; ++id)
    listed = favoritesController.UrlForCommand(id) == u"http://b.example/0";
  EXPECT_TRUE(listed) << "the menu lacks the imported entries";

  // Every file inside the Favorites folder, with a name that is one line.
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(favorites)) {
    std::string name = e.path().filename().string();
    EXPECT_EQ(name.find_first_of("\r\n/"), std::string::npos) << name;
    EXPECT_NE(name.front(), '.') << name;
    files += e.is_regular_file();
  }
  EXPECT_GE(files, kEntries + 4);
  std::set<std::string> added;
  for (const auto& n : names())
    if (!before.count(n)) added.insert(n);
  added.erase("webcache");  // the engine's cache, made when it is first needed
  EXPECT_EQ(added, std::set<std::string>{}) << "nothing new beside the Favorites folder";
  EXPECT_FALSE(fs::exists(dir_.path() + "/outside"));
  EXPECT_FALSE(fs::exists(dir_.path() + "/escaped.url"));
}

}  // namespace
