#include "host/gtk/frame_host.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "settings/frame_settings.h"
#include "host/startup.h"
#include "platform/linux/child_environment.h"
#include "base/file_modes.h"
#include "base/files.h"
#include "filters/filters_controller.h"
#include "filters/gtk/content_filter_host.h"
#include "filters/gtk/popup_lists_dialog.h"
#include "base/commands.h"
#include "collector/collector_controller.h"
#include "collector/gtk/collector_pane.h"
#include "downloads/gtk/file_chooser_destination.h"
#include "downloads/gtk/webkit_downloads.h"
#include "formfill/formfill_controller.h"
#include "formfill/gtk/form_dialogs.h"
#include "frame/gtk/main_window.h"
#include "frame/gtk/tab_icons.h"
#include "frame/main_frame.h"
#include "search/search_controller.h"
#include "session/gtk/page_list_dialog.h"
#include "session/session_controller.h"
#include "skin/gtk/skin_frame.h"
#include "skin/skin_controller.h"
#include "proxy/gtk/proxy_dialogs.h"
#include "options/gtk/options_dialog.h"
#include "options/options_controller.h"
#include "privacy/gtk/clear_dialog.h"
#include "privacy/privacy_controller.h"
#include "proxy/proxy_controller.h"
#include "frame/menu_model.h"
#include "icons/gtk/site_icon_images.h"
#include "icons/site_icons.h"
#include "services/gtk/soup_fetcher.h"
#include "update/update_controller.h"
#include "defbrowser/default_browser_controller.h"
#include "defbrowser/gtk/default_browser_dialog.h"
#include "favorites/favorites_controller.h"
#include "favorites/gtk/favorites_dialogs.h"
#include "favorites/gtk/favorites_pane.h"
#include "history/gtk/history_pane.h"
#include "history/history_controller.h"
#include "panes/gtk/web_pane.h"
#include "panes/side_panes_controller.h"
#include "panes/web_pane_controller.h"
#include "platform/ini_registry.h"
#include "platform/linux/gio_associations.h"
#include "platform/linux/gio_shell.h"
#include "platform/linux/glib_loop.h"
#include "platform/linux/gtk_input.h"
#include "platform/linux/gtk_prompts.h"
#include "platform/linux/message_box.h"
#include "view/gtk/view_source.h"
#include "host/gtk/web_sandbox.h"
#include "frame/help_commands.h"
#include "view/gtk/webkit_engine.h"
#include "window/gtk/tray_icon.h"
#include "window/gtk/x11_hot_key.h"
#include "window/window_controller.h"

namespace zel {

namespace {
// The page-element flags of a fresh engine: images, video and sound on, scripts allowed.
constexpr int kEngineDefaultElementFlags = 0x10 | 0x20 | 0x40;

WebKitWebContext* MakeWebContext(const std::string& profile) {
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
      "base-data-directory", JoinPath(profile, "webdata").c_str(), "base-cache-directory",
      JoinPath(profile, "webcache").c_str(), nullptr);
  // Cookies last from run to run (sign-ins stay), in the profile's engine folder.
  webkit_cookie_manager_set_persistent_storage(
      webkit_website_data_manager_get_cookie_manager(data),
      JoinPath(profile, "webdata/cookies.sqlite").c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  WebKitWebContext* ctx = webkit_web_context_new_with_website_data_manager(data);
  g_object_unref(data);
  RegisterViewSourceScheme(ctx);
  return ctx;
}

}  // namespace

void SetEngineEnvironment() {
  // WebKit hands a page's pictures over in DMA buffers by default. Without a compositing
  // window manager, where a closed window (a dialog, a menu, another program) uncovered
  // the page, those pictures are not drawn again: the window's panel shows through the
  // page until the page itself changes. Pictures in shared memory are always drawn again.
  SetForThisProcessOnly("WEBKIT_DISABLE_DMABUF_RENDERER", "1");
  // This process then draws the pictures with cairo and needs no graphics driver. Yet GDK
  // asks the X server for GL when it opens the display, and WebKit opens an EGL display only
  // to tell the page processes which render device to use: each loads the driver (Mesa's
  // software one is 20 MB of LLVM in this process, and a tenth of a second). Naming the
  // device and turning GDK's GL off spares both. Where the user wants DMA buffers, this
  // process needs the driver and keeps it. The programs the browser starts get neither.
  const char* noDmaBuffers = g_getenv("WEBKIT_DISABLE_DMABUF_RENDERER");
  if (noDmaBuffers && std::string_view(noDmaBuffers) != "0") {
    SetForThisProcessOnly("WEBKIT_WEB_RENDER_DEVICE_FILE", RenderNodeIn("/dev/dri").c_str());
    SetForThisProcessOnly("GDK_GL", "disable");
  }
}

std::string RenderNodeIn(const std::string& dir) {
  // The lowest numbered render node; without one, the first one's name (it does not
  // exist, and a page process then finds a device of its own, as it does with none named).
  int lowest = -1;
  if (GDir* d = g_dir_open(dir.c_str(), 0, nullptr)) {
    while (const char* name = g_dir_read_name(d)) {
      int n = 0;
      char rest = 0;
      if (std::sscanf(name, "renderD%d%c", &n, &rest) == 1 && n >= 0 && (lowest < 0 || n < lowest))
        lowest = n;
    }
    g_dir_close(d);
  }
  return JoinPath(dir, "renderD" + std::to_string(lowest < 0 ? 128 : lowest));
}

struct FrameHost::Parts {
  explicit Parts(WebKitWebContext* ctx, const std::string& profile)
      : favoritesDialogs(&window, &registry),
        prompts(&window),
        engines(ctx),
        registry(JoinPath(profile, "registry.ini")),
        downloads(ctx),
        destinations(&window),
        proxyDialogs(&window),
        clearDialog(&window),
        optionsDialog(&window),
        formDialogs(&window),
        popupLists(&window),
        defaultQuestion(&window),
        collector(window, [this](int id) {
          if (frame) frame->OnCommand(id);
        }),
        skin(window, window.layout(), [this](int id) {
          if (frame) frame->OnCommand(id);
        }) {}
  MainWindow window;
  FavoritesDialogs favoritesDialogs;
  PageListDialog pageList{window};
  GtkPrompts prompts;
  GlibLoop loop;
  GioShell shell;
  WebKitEngineFactory engines;
  IniRegistry registry;
  ModifierKeys keys;
  DesktopClipboard clipboard;
  WebKitDownloads downloads;
  FileChooserDestination destinations;
  ProxyDialogs proxyDialogs;
  ClearDialog clearDialog;
  OptionsDialog optionsDialog;
  FormDialogs formDialogs;
  PopupListsDialog popupLists;
  DefaultBrowserDialog defaultQuestion;
  GioAssociations associations;
  SoupFetcher fetcher;
  PixbufSiteIcons siteIcons;
  CollectorPane collector;
  TrayIcon tray;
  X11HotKey hotKey;
  SkinFrame skin;
  std::unique_ptr<CMainFrame> frame;
  // The side panes (over the frame's controllers).
  std::unique_ptr<FavoritesPane> favoritesPane;
  std::unique_ptr<HistoryPane> historyPane;
  std::unique_ptr<WebPane> webPane;
};

namespace {
// The favorites menu's folder part as menu rows, after a separator.
void AddFavoriteRows(const std::vector<FavoriteMenuNode>& nodes, std::vector<MenuItem>& out) {
  for (const FavoriteMenuNode& n : nodes) {
    MenuItem m;
    m.text = n.text;
    ReplaceAll(m.text, u"&", u"&&");
    m.id = n.id;
    if (!n.id) AddFavoriteRows(n.children, m.children);
    out.push_back(std::move(m));
  }
}

// The skin menu's rows after "显示窗口边框": the skins, then the languages.
template <class P>
void AttachSkins(P& p) {
  auto& skins = p.frame->template controller<SkinController>();
  skins.SetView(&p.skin);
  // 703 opens the menu bar's skin menu, as its mnemonic would.
  p.skin.SetMenuOpener([&p] {
    for (Gtk::Widget* w : p.window.commandBars().menuBar().get_children())
      if (auto* item = dynamic_cast<Gtk::MenuItem*>(w); item && item->get_label() == "皮肤(_K)") {
        item->activate();  // the rows after the fixed items are filled on activate
        item->mnemonic_activate(false);
        break;
      }
  });
  skins.SetMenuChanged([&p] { p.window.commandBars().TailChanged(u"皮肤(&K)"); });
  p.window.commandBars().SetPopupTail(u"皮肤(&K)", [&skins]() -> std::optional<std::vector<MenuItem>> {
    auto menu = skins.MenuIfStale();
    if (!menu) return std::nullopt;
    auto item = [](const SkinMenuEntry& e) {
      MenuItem m;
      m.text = e.text;
      ReplaceAll(m.text, u"&", u"&&");
      m.id = e.id;
      m.check = true;
      return m;
    };
    std::vector<MenuItem> rows(1);  // a separator
    for (const SkinMenuEntry& e : menu->skins) rows.push_back(item(e));
    MenuItem languages;
    languages.text = u"语言(&L)";
    for (const SkinMenuEntry& e : menu->languages) languages.children.push_back(item(e));
    rows.emplace_back();
    rows.push_back(std::move(languages));
    return rows;
  });
}

template <class P>
void AttachSidePanes(P& p) {
  CMainFrame& frame = *p.frame;
  auto run = [f = &frame](int id) { f->OnCommand(id); };
  auto& favorites = frame.controller<FavoritesController>();
  auto& history = frame.controller<HistoryController>();
  p.favoritesPane = std::make_unique<FavoritesPane>(favorites, run);
  p.historyPane = std::make_unique<HistoryPane>(history);
  p.webPane = std::make_unique<WebPane>(frame.controller<WebPaneController>());
  PaneHost& host = p.window.paneHost();
  host.AddPane(*p.favoritesPane, "收藏", kFavoritesPaneId);
  host.AddPane(*p.historyPane, "历史", kHistoryPaneId);
  // The web page pane's title is empty; its tab says what it holds.
  host.AddPane(*p.webPane, "网页", kWebPagePaneId);
  favorites.SetPane(p.favoritesPane.get());
  p.skin.SetTreeIconsSink([pane = p.favoritesPane.get()](auto page, auto closed, auto open) {
    pane->SetTreeIcons(page, closed, open);
  });
  favorites.SetDialogs(&p.favoritesDialogs);
  history.SetPane(p.historyPane.get());
  frame.controller<SidePanesController>().SetView(&host);
  favorites.SetMenuChanged([&p] { p.window.commandBars().TailChanged(u"收藏(&A)"); });
  p.window.commandBars().SetPopupTail(
      u"收藏(&A)", [&favorites]() -> std::optional<std::vector<MenuItem>> {
        auto menu = favorites.MenuIfStale();
        if (!menu) return std::nullopt;
        std::vector<MenuItem> rows(1);  // the separator after the fixed items
        AddFavoriteRows(menu->items, rows);
        return rows;
      });
}
}  // namespace

std::string LauncherPathBeside(const std::string& exeDir) {
  const std::string launcher = JoinPath(exeDir, "zel");
  if (FileExists(launcher)) return launcher;
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::string(self, n) : launcher;
}

FrameHost::FrameHost(const Options& o) {
  // Before the context: the web processes take the message language from the environment.
  UseChineseTranslations();
  std::string profile = JoinPath(o.programFolder, kProfileSub);
  // The profile's files and the engine's (cookies, caches, its databases) are the user's alone.
  MakeNewFilesOwnerOnly();
  context_ = MakeWebContext(profile);
  // Before any view: WebKit takes the hook's module folder when its first process starts.
  // Until the lists are loaded the index is stale and every request loads.
  contentFilter_ = std::make_unique<ContentFilterHost>(context_);
  // Every web process confined from the first one on, the spare view's included.
  const SandboxState sandbox = ConfineWebProcesses(context_, {contentFilter_->extensionFolder()});
  parts_ = std::make_unique<Parts>(context_, profile);
  Parts& p = *parts_;
  PromptPort* prompts = o.prompts ? o.prompts : &p.prompts;
  p.frame = std::make_unique<CMainFrame>(
      CMainFrame::Ports{&p.window, &p.loop, prompts, &p.registry, &p.shell, &p.engines, &p.keys,
                        &p.clipboard, contentFilter_.get(), &p.downloads,
                        o.destinations ? o.destinations : &p.destinations});
  p.frame->SetProgramFolder(FromUtf8(o.programFolder));
  p.frame->controller<HelpController>().SetSandboxState(sandbox);
  p.frame->controller<ProxyController>().SetDialogs(&p.proxyDialogs);
  p.frame->controller<PrivacyController>().SetDialogs(&p.clearDialog);
  p.frame->controller<OptionsController>().SetDialogs(&p.optionsDialog);
  p.frame->controller<FormFillController>().SetDialogs(&p.formDialogs);
  p.frame->controller<FiltersController>().SetDialogs(&p.popupLists);
  p.frame->controller<SiteIconsController>().SetPorts(&p.fetcher, &p.siteIcons);
  p.frame->controller<UpdateController>().SetFetcher(&p.fetcher);
  p.frame->controller<WindowController>().SetDesktop(&p.tray, &p.hotKey);
  p.frame->controller<DefaultBrowserController>().SetPorts(
      &p.associations, &p.defaultQuestion, LauncherPathBeside(ExecutableFolder()));
  auto& collector = p.frame->controller<CollectorController>();
  collector.SetView(&p.collector);
  p.collector.SetEvents(&collector);
  // Each view reports the requests the content filter blocks to the output collector.
  p.engines.SetViewWatcher([&p](WebKitWebView* view) {
    ContentFilterHost::WatchView(view, [&p](u16 url) {
      if (p.frame)
        p.frame->controller<CollectorController>().CollectRecord(u"内容过滤器 =>" + url,
                                                                 kKindContentFilter);
    });
  });
  p.window.AttachFrame(p.frame.get());
  p.pageList.SetIconSource(TabIcon);
  p.frame->controller<SessionController>().SetPageListView(&p.pageList);
  AttachSidePanes(p);
  AttachSkins(p);
}

FrameHost::~FrameHost() {
  // The tabs (and their engines) go before the window and the engine context.
  parts_->frame.reset();
  parts_.reset();
  contentFilter_.reset();
  if (context_) g_object_unref(context_);
}

CMainFrame& FrameHost::frame() { return *parts_->frame; }
MainWindow& FrameHost::window() { return parts_->window; }

void FrameHost::Show() {
  MainWindow& window = parts_->window;
  CMainFrame& frame = *parts_->frame;
  window.BuildMenus(MainMenu(), MainKeys());
  frame.controller<SearchController>().LoadSearchBar();
  // Before the settings are read the frame covers the screen.
  GdkRectangle screen{0, 0, 800, 600};
  if (auto display = Gdk::Display::get_default()) {
    auto monitor = display->get_primary_monitor();
    if (!monitor) monitor = display->get_monitor(0);
    if (monitor) gdk_monitor_get_geometry(monitor->gobj(), &screen);
  }
  window.move(0, 0);
  window.resize(screen.width, screen.height);

  frame.LoadEarlySettings(kEngineDefaultElementFlags);
  const FrameSettings& s = frame.settings();
  window.SetTabWidths(s.minwidth, s.maxwidth);
  // The skin before the window is first drawn (its border too).
  frame.controller<SkinController>().LoadStartSkin();
  Placement place =
      ComputePlacement(s.top, s.left, s.width, s.height, s.zoomed, screen.width, screen.height);
  if (place.apply) {
    window.move(place.x, place.y);
    window.resize(std::max(place.width, 1), std::max(place.height, 1));
  }
  if (place.maximized) window.maximize();
  window.show();
  frame.RefreshFrameCaption();
  frame.PostMessage(msg::kDeferredStartup);
}

}  // namespace zel
