// Find in the page with WebKit's find controller: a new search marks every match and
// selects the first from the top of the page; next and previous step through them with
// the same text and options, wrapping at the ends.
#include "view/gtk/webkit_engine.h"

namespace zel {

void WebKitEngine::FindText(const FindRequest& request, std::function<void(int)> done) {
  WebKitFindController* find = webkit_web_view_get_find_controller(view_);
  if (!findConnected_) {
    g_signal_connect(find, "found-text", G_CALLBACK(OnFoundText), this);
    g_signal_connect(find, "failed-to-find-text", G_CALLBACK(OnFindFailed), this);
    findConnected_ = true;
  }
  findAnswers_.push_back(std::move(done));
  switch (request.step) {
    case FindRequest::New: {
      guint32 options = WEBKIT_FIND_OPTIONS_WRAP_AROUND;
      if (!request.matchCase) options |= WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE;
      findMax_ = request.maxMatches;
      // One more than the limit, so that "more than the limit" can be told.
      webkit_find_controller_search(find, ToUtf8(request.text).c_str(), options,
                                    guint(request.maxMatches + 1));
      break;
    }
    case FindRequest::Next:
      webkit_find_controller_search_next(find);
      break;
    case FindRequest::Previous:
      webkit_find_controller_search_previous(find);
      break;
  }
}

void WebKitEngine::FindFinish() {
  // Answers still owed for the ended search are not wanted any more.
  findAnswers_.clear();
  webkit_find_controller_search_finish(webkit_web_view_get_find_controller(view_));
}

void WebKitEngine::AnswerFind(int matches) {
  if (findAnswers_.empty()) return;
  std::function<void(int)> done = std::move(findAnswers_.front());
  findAnswers_.pop_front();
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
