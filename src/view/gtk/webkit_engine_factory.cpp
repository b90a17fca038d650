// WebKitEngineFactory: the views of every tab, the spare view made ahead, the context's
// offline switch and proxy.
#include "view/gtk/webkit_engine.h"
#include "view/gtk/view_source.h"

#include <cstdio>

namespace zel {

WebKitEngineFactory::WebKitEngineFactory(WebKitWebContext* context)
    : context_(WEBKIT_WEB_CONTEXT(g_object_ref(context))) {}

void WebKitEngineFactory::SetOffline(bool offline) {
  *offline_ = offline;
  ApplyNetworkProxy();
}

bool WebKitEngineFactory::SetProxy(const EngineProxy& proxy) {
  if (proxy.mode == EngineProxy::Mode::Custom) {
    // What the network process would refuse or misread is refused here.
    auto valid = [](const std::string& uri) {
      return g_uri_is_valid(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
    };
    if (proxy.defaultProxy.empty() && proxy.schemes.empty()) return false;
    if (!proxy.defaultProxy.empty() && !valid(proxy.defaultProxy)) return false;
    for (const auto& [scheme, uri] : proxy.schemes)
      if (scheme.empty() || !valid(uri)) return false;
  }
  proxy_ = proxy;
  ApplyNetworkProxy();
  return true;
}

void WebKitEngineFactory::ApplyNetworkProxy() {
  WebKitWebsiteDataManager* data = webkit_web_context_get_website_data_manager(context_);
  if (!data) return;
  if (*offline_) {
    // Port 9 of the loopback is the discard service: nothing listens there.
    WebKitNetworkProxySettings* nowhere =
        webkit_network_proxy_settings_new("http://127.0.0.1:9", nullptr);
    webkit_website_data_manager_set_network_proxy_settings(data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM,
                                                           nowhere);
    webkit_network_proxy_settings_free(nowhere);
    return;
  }
  switch (proxy_.mode) {
    case EngineProxy::Mode::System:
      webkit_website_data_manager_set_network_proxy_settings(
          data, WEBKIT_NETWORK_PROXY_MODE_DEFAULT, nullptr);
      return;
    case EngineProxy::Mode::Direct:
      webkit_website_data_manager_set_network_proxy_settings(
          data, WEBKIT_NETWORK_PROXY_MODE_NO_PROXY, nullptr);
      return;
    case EngineProxy::Mode::Custom:
      break;
  }
  std::vector<const char*> ignore;
  for (const auto& h : proxy_.ignoreHosts) ignore.push_back(h.c_str());
  ignore.push_back(nullptr);
  WebKitNetworkProxySettings* settings = webkit_network_proxy_settings_new(
      proxy_.defaultProxy.empty() ? nullptr : proxy_.defaultProxy.c_str(), ignore.data());
  for (const auto& [scheme, uri] : proxy_.schemes)
    webkit_network_proxy_settings_add_proxy_for_scheme(settings, scheme.c_str(), uri.c_str());
  webkit_website_data_manager_set_network_proxy_settings(data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM,
                                                         settings);
  webkit_network_proxy_settings_free(settings);
}

WebKitEngineFactory::~WebKitEngineFactory() {
  if (spareSource_) g_source_remove(spareSource_);
  if (idleSource_) g_source_remove(idleSource_);
  spare_.reset();
  g_clear_object(&base_);
  g_clear_object(&content_);
  g_object_unref(context_);
}

void WebKitEngineFactory::SetBaseSettings(WebKitSettings* settings) {
  if (settings) g_object_ref(settings);
  g_clear_object(&base_);
  base_ = settings;
}

void WebKitEngineFactory::SetUserContentManager(WebKitUserContentManager* content) {
  if (content) g_object_ref(content);
  g_clear_object(&content_);
  content_ = content;
}

std::unique_ptr<Engine> WebKitEngineFactory::Create(Engine* related) {
  auto* opener = dynamic_cast<WebKitEngine*>(related);
  std::unique_ptr<WebKitEngine> engine;
  // A spare still on its way to its warm-up decision is left for a later tab: refusing
  // that decision can stop a load the tab has started meanwhile (a restored history's).
  if (!opener && spare_ && !spare_->warming_ && spareContent_ == content_) {
    engine = std::move(spare_);
    // The settings as they are now, exactly as a view made at this moment would start.
    if (base_) CopySettings(base_, webkit_web_view_get_settings(engine->view()));
  } else {
    engine = std::make_unique<WebKitEngine>(context_, opener ? opener->view() : nullptr, base_,
                                            content_);
  }
  engine->offline_ = offline_;
  if (watch_) watch_(engine->view());
  if (!opener) ++topLevelViews_;
  if (topLevelViews_ >= 2) ScheduleSpare();
  return engine;
}

void WebKitEngineFactory::ClearSiteData(SiteData what, bool wait) {
  WebKitWebsiteDataManager* data = webkit_web_context_get_website_data_manager(context_);
  constexpr int kCaches = WEBKIT_WEBSITE_DATA_MEMORY_CACHE | WEBKIT_WEBSITE_DATA_DISK_CACHE |
                         WEBKIT_WEBSITE_DATA_OFFLINE_APPLICATION_CACHE;
  const auto types = WebKitWebsiteDataTypes(what == SiteData::Cookies ? WEBKIT_WEBSITE_DATA_ALL & ~kCaches
                                                                      : kCaches);
  // The flag outlives this call when the clearing ends after the wait gave up.
  auto* done = new bool(false);
  webkit_website_data_manager_clear(
      data, types, 0, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer flag) {
        GError* error = nullptr;
        if (!webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source),
                                                      result, &error)) {
          std::fprintf(stderr, "zel: site data not cleared: %s\n",
                       error ? error->message : "?");
          g_clear_error(&error);
        }
        auto* d = static_cast<bool*>(flag);
        if (*d) delete d;  // the waiter had given up
        else *d = true;
      },
      done);
  if (!wait) {
    // Nobody waits: the callback only has to free the flag.
    *done = true;
    return;
  }
  const gint64 end = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
  // Wakes the wait now and then, so its end comes even when nothing else happens.
  guint wake = g_timeout_add(50, [](gpointer) { return gboolean(G_SOURCE_CONTINUE); }, nullptr);
  while (!*done && g_get_monotonic_time() < end) g_main_context_iteration(nullptr, TRUE);
  g_source_remove(wake);
  if (*done) delete done;
  else *done = true;  // the callback frees it
}

u16 WebKitEngineFactory::EngineVersion() const {
  return FromUtf8("WebKitGTK " + std::to_string(webkit_get_major_version()) + "." +
                  std::to_string(webkit_get_minor_version()) + "." +
                  std::to_string(webkit_get_micro_version()));
}

void WebKitEngineFactory::ScheduleSpare() {
  // Made a while after the last view, so it never competes with that view's first page.
  if (spareSource_) g_source_remove(spareSource_);
  spareSource_ = 0;
  spareAskedAt_ = g_get_monotonic_time();
  if (!spare_) spareSource_ = g_timeout_add(kSpareDelayMs, &WebKitEngineFactory::MakeSpare, this);
  if (idleSource_) g_source_remove(idleSource_);
  idleSource_ = g_timeout_add(kSpareIdleMs, &WebKitEngineFactory::DropSpare, this);
}

int WebKitEngineFactory::DropSpare(void* self) {
  auto* f = static_cast<WebKitEngineFactory*>(self);
  f->idleSource_ = 0;
  // One still warming is kept: its decision is on its way and refers to it.
  if (f->spare_ && !f->spare_->warming_) f->spare_.reset();
  return G_SOURCE_REMOVE;
}

int WebKitEngineFactory::MakeSpare(void* self) {
  auto* f = static_cast<WebKitEngineFactory*>(self);
  f->spareSource_ = 0;
  // A process start competes with the pages still loading: the spare waits for them.
  constexpr unsigned kRecheckMs = 250;
  if (AnyLiveViewLoading() &&
      g_get_monotonic_time() - f->spareAskedAt_ < gint64(kSpareCalmWaitMs) * 1000) {
    f->spareSource_ = g_timeout_add(kRecheckMs, &WebKitEngineFactory::MakeSpare, f);
    return G_SOURCE_REMOVE;
  }
  // Never loaded, so its history is empty and its first navigation keeps its process.
  f->spare_ = std::make_unique<WebKitEngine>(f->context_, nullptr, f->base_, f->content_);
  f->spareContent_ = f->content_;
  // WebKit starts a view's web process with its first load: a load that is refused at its
  // navigation decision starts the process and leaves nothing behind.
  f->spare_->warming_ = true;
  webkit_web_view_load_uri(f->spare_->view(), WebKitEngine::kWarmUpUri);
  return G_SOURCE_REMOVE;
}

}  // namespace zel
