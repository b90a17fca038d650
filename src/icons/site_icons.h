// Site icons: a tab whose page belongs to a web site shows the site's "favicon.ico" in
// place of the built-in page icon. Icons come from the icon cache in the profile (one file
// per site base); a site not in it is fetched once per run on a worker thread, and the tabs
// of that site are updated when it arrives.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "services/http_fetch.h"

namespace zel {

// Tab images above the built-in ones (0 to 11) are site icons.
inline constexpr int kFirstSiteIcon = 12;
// The map's value while a site's fetch is pending, and after it failed.
inline constexpr int kSiteIconPending = -2;
// What LoadCachedSiteIcon gives when the cache has no usable icon.
inline constexpr int kNoCachedIcon = -3;
inline constexpr size_t kSiteIconMaxBytes = 256 * 1024;
inline constexpr int kSiteIconTimeoutS = 20;

inline bool IsSiteIcon(int index) { return index >= kFirstSiteIcon; }

// The tab image list as the frame fills it.
class SiteIconImages {
 public:
  virtual ~SiteIconImages() = default;
  // Decodes an icon file (ICO, PNG ...), scales it to 16x16 and appends it to the list: its
  // index (kFirstSiteIcon or more), or a negative value when the file is no image.
  virtual int Append(const std::string& path) = 0;
};

// The cache file of a site base: its characters other than letters, digits, "." and "-"
// percent-escaped ("http://a.b/" gives "http%3A%2F%2Fa.b%2F"); a long one is shortened to
// a hash of it.
std::string SiteIconFileName(u16view siteBase);
// The profile's icon cache folder ("iconcache").
std::string SiteIconCacheFolder();
// The cached icon file of a page's site, when the cache holds one; empty otherwise.
std::string CachedSiteIconFile(u16view address);

class SiteIconsController : public FrameController {
 public:
  SiteIconsController(FrameServices& s, std::function<EngineProxy()> proxy);
  ~SiteIconsController() override;

  // The toolkit's parts: the downloads and the image list. Without both, no tab gets a
  // site icon.
  void SetPorts(HttpFetcher* fetcher, SiteIconImages* images) {
    fetcher_ = fetcher;
    images_ = images;
  }
  // The icon cache folder (the profile's "iconcache").
  std::string CacheFolder() const;

  // The image index of a page's site icon, or a value below kFirstSiteIcon when there is
  // none (yet); the first ask for a site not in the cache starts its fetch.
  int SiteIconIndex(u16view address);
  // The cached icon of a site base, appended to the image list: its index, or kNoCachedIcon.
  int LoadCachedSiteIcon(u16view siteBase);

  // The tab icon setter's rule: the icon a tab shows when asked for icon. The normal (-1),
  // unseen-page (5) and 9 icons give way to the site's icon; all others (loading, locked,
  // password ...) are shown as asked.
  int IconToShow(CChildFrame* tab, int asked);
  // The icon a tab shows now (for the address box of the tab in front).
  int ShownIcon(const CChildFrame* tab) const;

  // Empties the icon cache (with the temporary files and the history): the files go, the
  // fetches under way are stopped and every site is asked for again when next shown.
  void ClearCache();

  // A fetch has not come back yet.
  bool fetching() const { return !fetches_.empty(); }

  void OnTabClosed(CChildFrame* tab) override;
  void OnShutdown() override;

 private:
  struct Fetch;
  void StartFetch(const u16& siteBase);
  void OnFetched(const u16& siteBase, bool ok);

  FrameServices s_;
  std::function<EngineProxy()> proxy_;
  HttpFetcher* fetcher_ = nullptr;
  SiteIconImages* images_ = nullptr;
  std::map<u16, int> icons_;  // site base -> image index, or kSiteIconPending
  std::map<const CChildFrame*, int> shown_;
  std::vector<std::unique_ptr<Fetch>> fetches_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
