// The page engine of the GTK build: the engine port over one WebKitWebView.
//
// Events come from the view's signals:
//   decide-policy (navigation)   -> BeforeNavigate2 (cancel ignores the navigation)
//   decide-policy (new window)   -> nothing yet; the target name travels to the new engine
//   create                       -> NewWindow2; the engine it returns receives the page
//   load-changed committed       -> NavigateComplete2, CommandStateChange
//   load-changed finished        -> ProgressChange(0, 0) at once; TitleChange and
//                                   DocumentComplete once the page's title is known
//   load-failed                  -> ProgressChange(0, 0) and DocumentComplete of the failed
//                                   address (so the view never stays "loading"); a failure
//                                   that was not a cancel shows our error page (the address,
//                                   the reason, a retry button), whose load completes instead
//   load-failed-with-tls-errors  -> what was wrong with the certificate, for the error page
//   notify::estimated-load-progress -> ProgressChange(value * 10000, 10000) while loading
//   notify::title                -> TitleChange (the address for a page without a title)
//   mouse-target-changed         -> StatusTextChange (the link under the pointer, or ""),
//                                   and the hit under the pointer for HitUnderPointer
//   button/motion/scroll events  -> UserInput and Mouse, before WebKit sees them
//   context-menu                 -> ContextMenu (the view's own menu replaces WebKit's)
//   drag-begin / drag-drop       -> PageDrop for a drag from this page dropped on it
//   back/forward list changed    -> CommandStateChange for back and forward
// Left to WebKit: "script-dialog" (alert, confirm, prompt and the question before leaving a
// page are drawn inside the view, so a page waiting for an answer holds only its own tab)
// and "authenticate" (WebKit's login form inside the view, for a server asking for a user
// and password).
#pragma once

#include <webkit2/webkit2.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "view/engine_port.h"

namespace zel {

class WebKitEngine : public Engine {
 public:
  // The marks a download gets from the view whose page started it: the page's key, and
  // set when the page started it without the user.
  static constexpr char kDownloadPageKey[] = "zel-download-page";
  static constexpr char kDownloadByPage[] = "zel-download-by-page";
  static constexpr char kDownloadNoActiveContent[] = "zel-download-no-active-content";
  // A new view in context. opener is the view of the page whose new-window request this
  // engine answers (the new view then shares the opener's web process, settings defaults
  // and user content); base gives the settings a top-level view starts from (copied, so
  // per-tab switches never reach another tab); content is the user content manager of
  // top-level views. Everything but context may be null.
  WebKitEngine(WebKitWebContext* context, WebKitWebView* opener, WebKitSettings* base,
               WebKitUserContentManager* content);
  ~WebKitEngine() override;
  WebKitEngine(const WebKitEngine&) = delete;
  WebKitEngine& operator=(const WebKitEngine&) = delete;

  WebKitWebView* view() const { return view_; }
  // The folder that a save without a prompt writes into; the user's download folder (else
  // the home folder) when never set.
  void SetSaveFolder(const std::string& folder) { saveFolder_ = folder; }

  void SetEvents(EngineEvents* events) override { events_ = events; }
  void Navigate2(const NavRequest& request) override;
  void GoBack(int steps) override;
  void GoForward(int steps) override;
  void GoHome() override;
  void Stop() override;
  void Refresh2(int level) override;
  u16 LocationURL() const override;
  u16 LocationName() const override;
  bool Busy() const override;
  bool CanGoBack() const override;
  bool CanGoForward() const override;
  bool IsSecure() const override;
  void SetRegisterAsBrowser(bool on) override;
  // Silent keeps script errors from popping up a dialog. WebKit never shows one (the page's
  // errors come from the web-process module), so there is nothing to hold back here: the
  // page's own dialogs are shown either way.
  void SetSilent(bool on) override { silent_ = on; }
  void ExecWB(int command, int option, int argument = 0) override;
  void RunScript(u16view script, std::function<void(const ScriptResult&)> done) override;
  std::vector<TravelEntry> TravelLog(int* currentIndex) const override;
  std::string SaveSession() const override;
  bool RestoreSession(const std::string& state) override;
  void SetLoadImages(bool on) override;
  void SetScriptsEnabled(bool on) override;
  void SetMediaEnabled(bool on) override;
  void SetMuted(bool muted) override { webkit_web_view_set_is_muted(view_, muted); }
  void SetDownloadControl(int flags) override {
    downloadControl_ = flags;
  }
  // The page's bytes shown again in their place, decoded in charset: the choice belongs to
  // this document, and the tab's next page decodes itself.
  void SetCharset(const std::string& charset) override;
  void Focus() override;
  void* NativeWidget() override { return view_; }

  PageHit HitUnderPointer() const override { return hit_; }
  std::optional<std::pair<int, int>> PointerPosition() const override;
  void ClickAt(int x, int y) override;
  void RightClickAt(int x, int y) override;
  void ScrollBy(int dx, int dy) override;
  void PressKey(int key) override;
  void ExtendTrail(int x, int y) override;
  void ClearTrail() override;
  void ShowPictureAt(int x, int y) override;
  void FindText(const FindRequest& request, std::function<void(int matches)> done) override;
  void FindFinish() override;
  // The trail's points, for tests.
  size_t TrailPoints() const { return trail_.size(); }

 private:
  // What the engine itself asked for, reported with the BeforeNavigate2 it causes.
  struct PendingNav {
    std::string uri;
    int flags = 0;
    u16 headers;
    bool decided = false;  // reported already, when it was asked for (the blank page)
  };
  // A POST from Navigate2, loaded through a generated form page (see Navigate2).
  struct PostLoad {
    std::string uri;
    std::string body;
    int flags = 0;
    u16 headers;
  };

  static gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, WebKitEngine* self);
  static GtkWidget* OnCreate(WebKitWebView* view, WebKitNavigationAction* action,
                             WebKitEngine* self);
  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, WebKitEngine* self);
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, WebKitEngine* self);
  static gboolean OnLoadFailed(WebKitWebView* view, WebKitLoadEvent event, const char* uri,
                               GError* error, WebKitEngine* self);
  static void OnTitle(WebKitWebView* view, GParamSpec*, WebKitEngine* self);
  // The address moved to another anchor of the same page, without a load.
  static void OnUri(WebKitWebView* view, GParamSpec*, WebKitEngine* self);
  static void OnProgress(WebKitWebView* view, GParamSpec*, WebKitEngine* self);
  static void OnMouseTarget(WebKitWebView* view, WebKitHitTestResult* hit, guint modifiers,
                            WebKitEngine* self);
  static void OnHistoryChanged(WebKitBackForwardList* list, WebKitBackForwardListItem* added,
                               gpointer removed, WebKitEngine* self);
  static void OnWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason why,
                                     WebKitEngine* self);
  static gboolean OnTlsFailed(WebKitWebView* view, const char* uri, GTlsCertificate* certificate,
                              GTlsCertificateFlags errors, WebKitEngine* self);
  static gboolean StartPostLoad(gpointer self);
  // A download of the context: the view is told when its own page started it.
  static void OnDownloadStarted(WebKitWebContext* context, WebKitDownload* download,
                                WebKitEngine* self);
  // Mouse and key input on the page, seen before WebKit handles it.
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, WebKitEngine* self);
  // Messages of the page's process (a script error).
  static gboolean OnPageMessage(WebKitWebView* view, WebKitUserMessage* message,
                                WebKitEngine* self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, WebKitEngine* self);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, WebKitEngine* self);
  static gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, WebKitEngine* self);
  static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, WebKitEngine* self);
  static gboolean OnContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                WebKitHitTestResult* hit, WebKitEngine* self);
  static gboolean OnDrawTrail(GtkWidget* widget, cairo_t* cr, WebKitEngine* self);
  static void OnDragBegin(GtkWidget* widget, GdkDragContext* context, WebKitEngine* self);
  static gboolean OnDragDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y,
                             guint time, WebKitEngine* self);
  static gboolean OnDragFailed(GtkWidget* widget, GdkDragContext* context, GtkDragResult result,
                               WebKitEngine* self);
  // Hands the drag from this page, dropped at (x, y), to the view; true when handled.
  bool DropOurDrag(int x, int y);
  void ConnectInput();
  void NoteHit(WebKitHitTestResult* hit);
  // Asks the page whether its focus is in an editable field, then reports the input.
  void ReportWhenEditableKnown(UserInput input);
  static void OnCompleteTitle(GObject* source, GAsyncResult* result, gpointer data);
  static gboolean OnCompleteTimeout(gpointer self);

  bool DecideNavigation(WebKitNavigationPolicyDecision* decision);
  // Our error page for a failed load of uri, in place of the page; the address stays uri.
  void ShowFailedPage(const std::string& uri, const std::string& reason);
  // A click on a link to a port WebKit refuses: the page drops it without a word, so the
  // engine navigates to it itself, and the navigation shows why it cannot be shown.
  void FollowRefusedLink();
  void LoadRequest(const std::string& uri, int flags, const u16& headers);
  void RunPageScript(const std::string& script);
  void CancelPostLoad();
  void EndPostHelper();
  void GoSteps(int steps);
  void ReportCommandState();
  void ReportTitle(const std::string& title);
  void BeginComplete(const std::string& uri);
  void FinishComplete(const std::optional<std::string>& title);
  void DropComplete();
  void SaveAs(bool prompt);
  void SaveToFolder(const std::string& folder);
  void SaveTo(const std::string& path);
  void PageSetup();
  void Print();
  void ShowProperties();
  GtkWindow* ParentWindow() const;
  // The page's title ("" when it has none): WebKit's, or the one the page gave when asked.
  std::string PageTitle() const;

  WebKitWebView* view_ = nullptr;
  WebKitWebView* opener_ = nullptr;  // compared only, never used: it may be gone
  WebKitBackForwardList* history_ = nullptr;
  GCancellable* cancellable_ = nullptr;
  EngineEvents* events_ = nullptr;
  // A spare view's warm-up load is on its way to its decision; the view is not handed out
  // before. The address is never loaded, and it is a data address so that nothing goes out
  // for it either: WebKit opens a connection ahead to an http(s) address it is asked to load,
  // through the proxy when one is set.
  bool warming_ = false;
  // Drawn without compositing, a view that has no picture of its page yet makes WebKit wait
  // up to half a second, with the whole window frozen, for the page's process to paint;
  // that process paints nothing before its first page commits. Until then the view is
  // drawn blank by us.
  bool holdDraw_ = false;
  static constexpr char kWarmUpUri[] = "data:text/plain,zel-warm-up";
  // Expires with the engine: late callbacks (script results, dialogs) check it first.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  bool silent_ = false;
  std::string saveFolder_;
  u16 lastStatus_;
  std::string lastTitle_;  // the last title reported for the current page
  std::string pageTitle_;  // the current page's own title, once known
  // A finished load whose DocumentComplete waits for the page's title (WebKit reports the
  // title of a page without subresources only after the load has finished).
  std::optional<std::string> completing_;
  unsigned completeGen_ = 0;
  guint completeTimer_ = 0;
  bool loading_ = false;  // between load started and finished
  std::string committedUri_;  // the address of the last committed load
  // When the user last clicked or typed in the page or the program loaded an address for
  // them (-1: used up by a download or by the page that load made).
  int64_t userStartMs_ = -1;
  void NoteUserStart() { userStartMs_ = g_get_monotonic_time() / 1000; }
  static constexpr int64_t kUserStartMs = 20000;
  std::optional<std::string> failedUri_;  // the load that failed, until it finishes
  bool errorPageFollows_ = false;
  bool awaitErrorPage_ = false;  // completing_ waits for our error page
  // What was wrong with the certificate of the load that is failing (0: nothing known).
  GTlsCertificateFlags tlsErrors_ = GTlsCertificateFlags(0);
  // The certificate a page failed on and that page's address, while its error page offers to
  // go on: the error page's "go on" link is "zel-go-on:" + that address.
  GTlsCertificate* tlsCertificate_ = nullptr;
  std::string goOnUri_;
  // The error page's "go on" link was clicked: the site's certificate is accepted for the
  // rest of the run and the page loads again.
  bool GoOnDespiteCertificate(const std::string& uri);
  // The factory's offline switch: failures while offline say so.
  std::shared_ptr<const bool> offline_;
  // A navigation to a port WebKit refuses, ignored: its error page is shown instead.
  std::optional<std::string> blockedUri_;
  std::optional<PendingNav> pending_;
  // Navigations the page announced as its frames' own (a click or form aimed at a frame),
  // oldest first; each is taken by the decision it announced or forgotten after a while.
  struct FrameNav {
    std::string uri;
    bool form = false;  // uri is a form's action: the decision's address adds the query
    gint64 at = 0;
  };
  std::vector<FrameNav> frameNavs_;
  // Whether the navigation to uri is one the page announced for one of its frames.
  bool TakeFrameNavigation(const std::string& uri);
  // The delivered download-control flags: the downloads this view's page starts carry
  // the ban on active content (0x400).
  int downloadControl_ = 0;
  // The target frame name of the new-window request this engine was created for, given
  // to its first BeforeNavigate2.
  std::string openerTarget_;
  // The frame name of the last new-window navigation decision, for the create that follows.
  std::string newWindowName_, newWindowUri_;

  std::optional<PostLoad> postLoad_;  // waiting for its BeforeNavigate2
  guint postSource_ = 0;
  // The generated form page is loading: its own events are not the page's.
  bool postHelper_ = false;
  // The address whose web process ended, while the notice for it loads.
  std::optional<std::string> stoppedUri_;
  std::string postHelperTarget_;
  bool restoreScripts_ = false;  // page scripts were switched on for the form page only

  // Pointer state: the hit under the pointer and where it is; our own synthesized clicks
  // go straight to the page.
  PageHit hit_;
  bool pointerInside_ = false;
  int pointerX_ = 0, pointerY_ = 0;
  bool synthesizing_ = false;
  bool rightPressUsed_ = false;
  std::vector<std::pair<int, int>> trail_;
  // A drag from this page: where and when the left button went down, and what it took.
  int pressX_ = 0, pressY_ = 0;
  int64_t pressTime_ = 0;
  bool dragging_ = false;
  PageDrop drag_;

  // Find in the page. WebKit answers a search with a signal that does not say which search
  // it answers, and a search made before the last one was answered may go unanswered; so
  // one request is in WebKit at a time, the others wait (a new search replaces the waiting
  // ones), and a request not answered in time is given up.
  struct FindCall {
    FindRequest request;
    std::function<void(int)> done;
  };
  static void OnFoundText(WebKitFindController* find, guint matches, WebKitEngine* self);
  static void OnFindFailed(WebKitFindController* find, WebKitEngine* self);
  static gboolean OnFindTimeout(gpointer self);
  void StartFind();
  void AnswerFind(int matches);
  std::optional<FindCall> findInFlight_;
  std::deque<FindCall> findWaiting_;
  guint findTimer_ = 0;
  int findMax_ = 1000;
  bool findConnected_ = false;

  GtkPageSetup* pageSetup_ = nullptr;
  GtkPrintSettings* printSettings_ = nullptr;

  friend class WebKitEngineFactory;
};

// Copies every writable setting of from into to.
void CopySettings(WebKitSettings* from, WebKitSettings* to);

class WebKitEngineFactory : public EngineFactory {
 public:
  explicit WebKitEngineFactory(WebKitWebContext* context);
  ~WebKitEngineFactory() override;
  WebKitEngineFactory(const WebKitEngineFactory&) = delete;
  WebKitEngineFactory& operator=(const WebKitEngineFactory&) = delete;

  // Called with the view of every engine this factory hands out.
  void SetViewWatcher(std::function<void(WebKitWebView*)> watch) { watch_ = std::move(watch); }
  // The settings new top-level views start from (each view gets its own copy).
  void SetBaseSettings(WebKitSettings* settings);
  // The user content (scripts, style sheets, filters) shared by all views.
  void SetUserContentManager(WebKitUserContentManager* content);

  // A page's new window must be given an engine made here with related = the opener's
  // engine: WebKit only accepts a view that shares the opener's web process, and an engine
  // made otherwise is refused by the opener's NewWindow2 (the window does not open).
  std::unique_ptr<Engine> Create(Engine* related) override;
  // Offline sends every load to a proxy that never answers, so nothing reaches the network
  // and pages fail at once; back online the chosen proxy (SetProxy) applies again.
  void SetOffline(bool offline) override;
  u16 EngineVersion() const override;
  // The proxy of every view of the context; offline keeps its own until it ends.
  bool SetProxy(const EngineProxy& proxy) override;
  void ClearSiteData(SiteData what, bool wait) override;

  // A new tab's view takes about half a second to get its web process going. Once a second
  // tab has been asked for, one spare view is made ahead, a second after the last one was
  // taken, so that a tab opened later (by a hand-off, a link, Ctrl+T) finds its process
  // already running. A one-tab user gets none (its process costs about 60 MB), and after a
  // quiet minute without new tabs the spare goes again, with its process. Made sooner, its
  // process start competes with that tab's first page (at start-up: 0.94 s to the first
  // request with a second's wait, 1.38 s with 150 ms). While pages are loading (ten tabs
  // handed over at once) it waits for them, at most kSpareCalmWaitMs (a page may never end).
  static constexpr unsigned kSpareDelayMs = 1000;
  static constexpr unsigned kSpareCalmWaitMs = 15000;
  static constexpr unsigned kSpareIdleMs = 60000;

 private:
  static int MakeSpare(void* self);
  static int DropSpare(void* self);
  void ScheduleSpare();
  void ApplyNetworkProxy();
  std::function<void(WebKitWebView*)> watch_;
  WebKitWebContext* context_;
  std::unique_ptr<WebKitEngine> spare_;
  WebKitUserContentManager* spareContent_ = nullptr;  // what the spare was made with
  unsigned spareSource_ = 0;
  unsigned idleSource_ = 0;  // drops the spare after a quiet minute
  gint64 spareAskedAt_ = 0;  // when the last view was handed out (monotonic, µs)
  int topLevelViews_ = 0;    // views handed out for tabs of their own (not a page's windows)
  WebKitSettings* base_ = nullptr;
  WebKitUserContentManager* content_ = nullptr;
  std::shared_ptr<bool> offline_ = std::make_shared<bool>(false);
  EngineProxy proxy_;
};

}  // namespace zel
