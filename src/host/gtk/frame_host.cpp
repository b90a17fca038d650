#include "host/gtk/frame_host.h"

#include <algorithm>

#include "settings/frame_settings.h"
#include "host/startup.h"
#include "base/files.h"
#include "filters/gtk/content_filter_host.h"
#include "base/commands.h"
#include "collector/collector_controller.h"
#include "collector/gtk/collector_pane.h"
#include "downloads/gtk/file_chooser_destination.h"
#include "downloads/gtk/webkit_downloads.h"
#include "frame/gtk/main_window.h"
#include "frame/gtk/tab_icons.h"
#include "frame/main_frame.h"
#include "search/search_controller.h"
#include "session/gtk/page_list_dialog.h"
#include "session/session_controller.h"
#include "proxy/gtk/proxy_dialogs.h"
#include "proxy/proxy_controller.h"
#include "frame/menu_model.h"
#include "platform/ini_registry.h"
#include "platform/linux/gio_shell.h"
#include "platform/linux/glib_loop.h"
#include "platform/linux/gtk_input.h"
#include "platform/linux/gtk_prompts.h"
#include "view/gtk/view_source.h"
#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {
// The page-element flags of a fresh engine: images, video and sound on, scripts allowed.
constexpr int kEngineDefaultElementFlags = 0x10 | 0x20 | 0x40;

WebKitWebContext* MakeWebContext(const std::string& profile) {
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
      "base-data-directory", JoinPath(profile, "webdata").c_str(), "base-cache-directory",
      JoinPath(profile, "webcache").c_str(), nullptr);
  WebKitWebContext* ctx = webkit_web_context_new_with_website_data_manager(data);
  g_object_unref(data);
  RegisterViewSourceScheme(ctx);
  return ctx;
}

// The engines of the frame, each view watched for the requests the content filter blocks.
class WatchedEngines : public EngineFactory {
 public:
  WatchedEngines(WebKitEngineFactory& inner, std::function<void(u16)> onBlocked)
      : inner_(inner), onBlocked_(std::move(onBlocked)) {}
  std::unique_ptr<Engine> Create(Engine* related) override {
    std::unique_ptr<Engine> engine = inner_.Create(related);
    if (auto* webkit = dynamic_cast<WebKitEngine*>(engine.get()))
      ContentFilterHost::WatchView(webkit->view(), onBlocked_);
    return engine;
  }
  void SetOffline(bool offline) override { inner_.SetOffline(offline); }
  u16 EngineVersion() const override { return inner_.EngineVersion(); }
  bool SetProxy(const EngineProxy& proxy) override { return inner_.SetProxy(proxy); }

 private:
  WebKitEngineFactory& inner_;
  std::function<void(u16)> onBlocked_;
};
}  // namespace

struct FrameHost::Parts {
  explicit Parts(WebKitWebContext* ctx, const std::string& profile)
      : prompts(&window),
        engines(ctx),
        registry(JoinPath(profile, "registry.ini")),
        downloads(ctx),
        destinations(&window),
        proxyDialogs(&window),
        watched(engines, [this](u16 url) {
          if (frame)
            frame->controller<CollectorController>().CollectRecord(u"内容过滤器 =>" + url,
                                                                   kKindContentFilter);
        }),
        collector(window, [this](int id) {
          if (frame) frame->OnCommand(id);
        }) {}
  MainWindow window;
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
  WatchedEngines watched;
  CollectorPane collector;
  std::unique_ptr<CMainFrame> frame;
};

FrameHost::FrameHost(const Options& o) {
  std::string profile = JoinPath(o.programFolder, kProfileSub);
  context_ = MakeWebContext(profile);
  // Before any view: WebKit takes the hook's module folder when its first process starts.
  // Until the lists are loaded the index is stale and every request loads.
  contentFilter_ = std::make_unique<ContentFilterHost>(context_);
  parts_ = std::make_unique<Parts>(context_, profile);
  Parts& p = *parts_;
  PromptPort* prompts = o.prompts ? o.prompts : &p.prompts;
  p.frame = std::make_unique<CMainFrame>(
      CMainFrame::Ports{&p.window, &p.loop, prompts, &p.registry, &p.shell, &p.watched, &p.keys,
                        &p.clipboard, contentFilter_.get(), &p.downloads,
                        o.destinations ? o.destinations : &p.destinations});
  p.frame->SetProgramFolder(FromUtf8(o.programFolder));
  p.frame->controller<ProxyController>().SetDialogs(&p.proxyDialogs);
  auto& collector = p.frame->controller<CollectorController>();
  collector.SetView(&p.collector);
  p.collector.SetEvents(&collector);
  p.window.AttachFrame(p.frame.get());
  p.pageList.SetIconSource(TabIcon);
  p.frame->controller<SessionController>().SetPageListView(&p.pageList);
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
  LoadFrameCreationSettings(frame.settings());
  const FrameSettings& s = frame.settings();
  window.SetTabWidths(s.minwidth, s.maxwidth);
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
