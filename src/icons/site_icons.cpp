#include "icons/site_icons.h"

#include <dirent.h>

#include <atomic>
#include <cstdio>

#include "base/files.h"
#include "platform/message_loop.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kFaviconName[] = u"favicon.ico";
constexpr size_t kMaxCacheName = 200;
}  // namespace

std::string SiteIconFileName(u16view siteBase) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (unsigned char c : ToUtf8(siteBase)) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-') {
      name += char(c);
    } else {
      name += '%';
      name += kHex[c >> 4];
      name += kHex[c & 15];
    }
  }
  if (name.size() <= kMaxCacheName && name != "." && name != "..") return name;
  // FNV-1a of the whole name keeps long ones apart.
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return name.substr(0, 64) + "~" + buf;
}

std::string SiteIconCacheFolder() {
  return JoinPath(JoinPath(SettingsFile::BaseFolder(), SettingsFile::ProfileSub()), "iconcache");
}

std::string CachedSiteIconFile(u16view address) {
  u16 base = SiteBase(address);
  if (base.empty()) return {};
  std::string path = JoinPath(SiteIconCacheFolder(), SiteIconFileName(base));
  return FileExists(path) ? path : std::string();
}

struct SiteIconsController::Fetch {
  std::thread thread;
  FetchCancel cancel;
};

SiteIconsController::SiteIconsController(FrameServices& s, std::function<EngineProxy()> proxy)
    : s_(s), proxy_(std::move(proxy)) {}

SiteIconsController::~SiteIconsController() {
  alive_.reset();
  OnShutdown();
}

std::string SiteIconsController::CacheFolder() const { return SiteIconCacheFolder(); }

void SiteIconsController::ClearCache() {
  // A fetch that ends now must not put its icon back.
  OnShutdown();
  icons_.clear();
  const std::string folder = CacheFolder();
  if (DIR* d = opendir(folder.c_str())) {
    std::vector<std::string> names;
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(d);
    for (const std::string& n : names) std::remove(JoinPath(folder, n).c_str());
  }
}

int SiteIconsController::SiteIconIndex(u16view address) {
  // 1: only pages of web sites (http and https) have one.
  u16 base = SiteBase(address);
  if (base.empty()) return -1;
  // 2
  if (auto it = icons_.find(base); it != icons_.end()) return it->second;
  // 3
  int index = LoadCachedSiteIcon(base);
  if (IsSiteIcon(index)) {
    icons_[base] = index;
    return index;
  }
  // 4: once per site and run.
  icons_[base] = kSiteIconPending;
  StartFetch(base);
  return -1;
}

int SiteIconsController::LoadCachedSiteIcon(u16view siteBase) {
  if (!images_) return kNoCachedIcon;
  std::string path = JoinPath(CacheFolder(), SiteIconFileName(siteBase));
  if (!FileExists(path)) return kNoCachedIcon;
  int index = images_->Append(path);
  return IsSiteIcon(index) ? index : kNoCachedIcon;
}

void SiteIconsController::StartFetch(const u16& siteBase) {
  if (!fetcher_ || !s_.loop) return;
  std::string folder = CacheFolder();
  if (!CreateFolderLevels(folder)) return;
  auto f = std::make_unique<Fetch>();
  Fetch* raw = f.get();
  HttpRequest req;
  req.url = ToUtf8(siteBase + kFaviconName);
  req.path = JoinPath(folder, SiteIconFileName(siteBase));
  req.maxBytes = kSiteIconMaxBytes;
  req.timeoutSeconds = kSiteIconTimeoutS;
  req.noCache = false;
  req.proxy = proxy_ ? proxy_() : EngineProxy{};
  HttpFetcher* fetcher = fetcher_;
  MessageLoop* loop = s_.loop;
  // Only the download runs here; the map, the image list and the tabs stay on the main loop.
  raw->thread = std::thread([this, raw, req, fetcher, loop, alive = std::weak_ptr<bool>(alive_), siteBase] {
    bool ok = fetcher->Fetch(req, &raw->cancel);
    loop->Post([this, alive, raw, siteBase, ok] {
      if (alive.expired()) return;
      // The thread has nothing left to do but end.
      for (auto it = fetches_.begin(); it != fetches_.end(); ++it)
        if (it->get() == raw) {
          if ((*it)->thread.joinable()) (*it)->thread.join();
          fetches_.erase(it);
          break;
        }
      OnFetched(siteBase, ok);
    });
  });
  fetches_.push_back(std::move(f));
}

void SiteIconsController::OnFetched(const u16& siteBase, bool ok) {
  int index = ok ? LoadCachedSiteIcon(siteBase) : kNoCachedIcon;
  if (!IsSiteIcon(index)) {
    // Not an icon: it is neither kept nor asked for again in this run.
    if (ok) std::remove(JoinPath(CacheFolder(), SiteIconFileName(siteBase)).c_str());
    icons_[siteBase] = kSiteIconPending;
    return;
  }
  icons_[siteBase] = index;
  // Every tab of the site, through the tab icon setter.
  for (int i = 0; CChildFrame* c = s_.tabs.TabAt(i); ++i) {
    CVOPView* v = c->view();
    if (v && SiteBase(v->CurrentAddress()) == siteBase) v->SetTabIcon(v->tabIcon());
  }
}

int SiteIconsController::IconToShow(CChildFrame* tab, int asked) {
  int shown = asked;
  if ((asked == -1 || asked == 5 || asked == 9) && tab && tab->view()) {
    int site = SiteIconIndex(tab->view()->CurrentAddress());
    if (IsSiteIcon(site)) shown = site;
  }
  if (tab) shown_[tab] = shown;
  return shown;
}

int SiteIconsController::ShownIcon(const CChildFrame* tab) const {
  auto it = shown_.find(tab);
  return it == shown_.end() ? 0 : it->second;
}

void SiteIconsController::OnTabClosed(CChildFrame* tab) { shown_.erase(tab); }

void SiteIconsController::OnShutdown() {
  for (auto& f : fetches_) f->cancel.Cancel();
  for (auto& f : fetches_)
    if (f->thread.joinable()) f->thread.join();
  fetches_.clear();
}

}  // namespace zel
