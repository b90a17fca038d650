// The browser's side of the content filter's request hook. The hook itself runs in every
// web process (src/webext): this class tells WebKit where that module is, hands each new
// web process the current lists and switch as its initialization data, sends every change
// to the running processes, and lets a view hear about the requests the hook blocked.
//
// Construct it on the context before the context's first view exists: WebKit reads the
// module folder only once, when it starts the first web process.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <string>

#include "base/text.h"
#include "filters/content_filter_port.h"
#include "filters/filter_lists.h"
#include "filters/filter_message.h"

namespace zel {

class ContentFilterHost : public ContentFilterPort {
 public:
  // The module is looked up in ZEL_WEBEXT_DIR when that is set, else in "webext" beside
  // the executable, else in the install's module folder. Until Update, the web processes
  // start with lists and hookActive as given here.
  explicit ContentFilterHost(WebKitWebContext* context, const FilterLists& lists = FilterLists(),
                             bool hookActive = FilterSwitches{}.content);
  ~ContentFilterHost() override;
  ContentFilterHost(const ContentFilterHost&) = delete;
  ContentFilterHost& operator=(const ContentFilterHost&) = delete;

  // The content lists, the index state and the content switch go to every running web
  // process (each rebuilds its index) and become the start state of later ones.
  void Update(const FilterLists& lists, bool hookActive) override;

  // The folder the module was found in; "" when none held it (requests then load
  // unfiltered, the way a hook that could not be registered leaves them).
  const std::string& extensionFolder() const { return folder_; }
  const ContentFilterState& state() const { return state_; }

  // Calls onBlocked with the lower-cased address of each request of the view's pages that
  // the hook answered with the blank image. The callback lives as long as the view; the
  // returned handler id disconnects it earlier.
  static gulong WatchView(WebKitWebView* view, std::function<void(u16 url)> onBlocked);

 private:
  void SetState(ContentFilterState state);
  static void OnInitializeWebExtensions(WebKitWebContext* context, gpointer self);

  WebKitWebContext* context_;
  std::string folder_;
  ContentFilterState state_;
  GVariant* encoded_ = nullptr;  // state_ as sent, owned
  gulong initHandler_ = 0;
};

}  // namespace zel
