// Find in the page with WebKit's find controller: a new search marks every match and
// selects the first from the top of the page; next and previous step through them with
// the same text and options, wrapping at the ends.
#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {
// A search WebKit has not answered by then is given up.
constexpr guint kFindAnswerMs = 2000;
}  // namespace

void WebKitEngine::FindText(const FindRequest& request, std::function<void(int)> done) {
  WebKitFindController* find = webkit_web_view_get_find_controller(view_);
  if (!findConnected_) {
    g_signal_connect(find, "found-text", G_CALLBACK(OnFoundText), this);
    g_signal_connect(find, "failed-to-find-text", G_CALLBACK(OnFindFailed), this);
    findConnected_ = true;
  }
  // A new search makes the requests still waiting pointless.
  if (request.step == FindRequest::New) findWaiting_.clear();
  findWaiting_.push_back({request, std::move(done)});
  if (!findInFlight_) StartFind();
}

void WebKitEngine::StartFind() {
  if (findWaiting_.empty()) return;
  findInFlight_ = std::move(findWaiting_.front());
  findWaiting_.pop_front();
  const FindRequest& r = findInFlight_->request;
  WebKitFindController* find = webkit_web_view_get_find_controller(view_);
  switch (r.step) {
    case FindRequest::New: {
      guint32 options = WEBKIT_FIND_OPTIONS_WRAP_AROUND;
      if (!r.matchCase) options |= WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE;
      findMax_ = r.maxMatches;
      // One more than the limit, so that "more than the limit" can be told.
      webkit_find_controller_search(find, ToUtf8(r.text).c_str(), options,
                                    guint(r.maxMatches + 1));
      break;
    }
    case FindRequest::Next:
      webkit_find_controller_search_next(find);
      break;
    case FindRequest::Previous:
      webkit_find_controller_search_previous(find);
      break;
  }
  if (findTimer_) g_source_remove(findTimer_);
  findTimer_ = g_timeout_add(kFindAnswerMs, OnFindTimeout, this);
}

gboolean WebKitEngine::OnFindTimeout(gpointer data) {
  auto* self = static_cast<WebKitEngine*>(data);
  self->findTimer_ = 0;
  self->findInFlight_.reset();
  self->StartFind();
  return G_SOURCE_REMOVE;
}

void WebKitEngine::FindFinish() {
  // Answers still owed for the ended search are not wanted any more.
  findWaiting_.clear();
  findInFlight_.reset();
  if (findTimer_) g_source_remove(findTimer_);
  findTimer_ = 0;
  webkit_find_controller_search_finish(webkit_web_view_get_find_controller(view_));
}

void WebKitEngine::AnswerFind(int matches) {
  if (!findInFlight_) return;
  if (findTimer_) g_source_remove(findTimer_);
  findTimer_ = 0;
  std::function<void(int)> done = std::move(findInFlight_->done);
  findInFlight_.reset();
  StartFind();
  if (done) done(matches);
}

void WebKitEngine::OnFoundText(WebKitFindController*, guint matches, WebKitEngine* self) {
  // Above the limit WebKit reports G_MAXUINT.
  self->AnswerFind(matches > guint(self->findMax_) ? self->findMax_ + 1 : int(matches));
}

void WebKitEngine::OnFindFailed(WebKitFindController*, WebKitEngine* self) {
  self->AnswerFind(0);
}

}  // namespace zel
