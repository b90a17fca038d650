#include "search/search_controller.h"

#include "base/commands.h"
#include "base/files.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "res/page_scripts.h"
#include "search/search_bar_view.h"
#include "view/child_frame.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

SearchController::SearchController(const FrameServices& services, SearchBarView* bar)
    : s_(services), bar_(bar) {
  RegisterCommands();
}

SearchController::PageState* SearchController::StateOf(CVOPView* view) {
  // Answers for a tab closed meanwhile never arrive, so a view here is alive.
  return view ? &pages_[&view->child()] : nullptr;
}

void SearchController::LoadSearchBar() {
  // A new user gets a few engines, so the menu is never empty.
  if (!FileExists(SearchEngineFile())) InstallDefaultSearchEngines();
  else ReplacePlainEngineIcons();
  engines_.Load();
  keywords_.Load();
  if (bar_) {
    bar_->SetEngineMenu(engines_.BuildEngineMenu());
    bar_->SetKeywordList(keywords_.items());
  }
}

void SearchController::SearchFor(u16view words, int target) {
  searchWords = u16(words);
  searchTarget = target;
  if (bar_) bar_->SetSearchBoxText(words);
  Search();
}

void SearchController::SearchWithEngine(int index, u16view words) {
  if (engines_.SelectEngine(kEngineMenuFirstId + index) && bar_)
    bar_->SetEngineMenu(engines_.BuildEngineMenu());
  u16 text = Trim(words);
  if (text.empty()) return;
  SearchFor(text, int(SearchMode::Web));
}

void SearchController::Search() {
  u16 keyword = Trim(bar_ ? bar_->SearchBoxText() : searchWords);
  if (keyword.empty()) return;
  if (keywords_.Add(keyword) && bar_) bar_->SetKeywordList(keywords_.items());
  if (searchTarget == int(SearchMode::Find)) {
    FindInPage(false);
    return;
  }
  if (searchTarget == int(SearchMode::Highlight)) {
    HighlightInPage();
    return;
  }
  if (bar_) bar_->SetSearchBoxText(keyword);
  s_.tabs.OpenUrl(engines_.SearchUrl(keyword),
                  {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
}

void SearchController::RunFindScript(CVOPView* view, const u16& keyword, int target,
                                     const char16_t* mode, std::function<void(int)> done) {
  u16 call = FromUtf8(kFindInPageJs) +
             Format(u"(%s, %s, %s, %d, \"%s\")", JsStringLiteral(keyword),
                    s_.settings.matchcase ? u"true" : u"false",
                    s_.settings.matchwhole ? u"true" : u"false", target, mode);
  view->RunScript(call,
                  [done](const ScriptResult& r) { done(r.ok ? ToInt(FromUtf8(r.json)) : -1); });
}

std::optional<u16> SearchController::PageSearchKeyword() {
  u16 keyword = Trim(bar_ ? bar_->SearchBoxText() : searchWords);
  if (keyword.empty()) {
    if (s_.prompts) s_.prompts->Message(kNoKeywordMessage);
    return std::nullopt;
  }
  if (!s_.settings.saveKeyword && keywords_.Add(keyword) && bar_)
    bar_->SetKeywordList(keywords_.items());
  return keyword;
}

void SearchController::FindInPage(bool backwards) {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  auto word = PageSearchKeyword();
  if (!word) return;
  const u16& keyword = *word;
  bool shift = backwards || (s_.keys && s_.keys->Shift());
  auto step = [this, v, keyword, shift] {
    PageState* st = StateOf(v);
    if (!st) return;
    int target = NextFindTarget(st->find, shift);
    RunFindScript(v, keyword, target, u"find", [this, v, target](int count) {
      PageState* st = StateOf(v);
      if (count < 0 || !st) return;
      FindStep result = FinishFind(st->find, target, count);
      if (v == s_.tabs.ActiveView()) s_.tabs.SetStatusText(result.status);
      if (result.again) s_.tabs.PostCommand(kCmdFindInPage);
    });
  };
  PageState* st = StateOf(v);
  if (!st) return;
  if (BeginFind(st->find, keyword, s_.settings.matchcase)) {
    RunFindScript(v, keyword, -1, u"find", [this, v, step](int count) {
      PageState* st = StateOf(v);
      if (count < 0 || !st) return;
      StartNewFindKeyword(st->find, count);
      step();
    });
  } else {
    step();
  }
}

void SearchController::HighlightInPage() {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  auto word = PageSearchKeyword();
  if (!word) return;
  const u16& keyword = *word;
  PageState* st = StateOf(v);
  if (!st) return;
  bool remove = BeginHighlight(st->highlight, keyword);
  RunFindScript(v, keyword, -1, remove ? u"unmark" : u"mark", [this, v](int count) {
    PageState* st = StateOf(v);
    if (count < 0 || !st) return;
    u16 status = FinishHighlight(st->highlight, count);
    if (v != s_.tabs.ActiveView()) return;
    s_.tabs.SetStatusText(status);
    if (bar_ && bar_->SearchBoxHasFocus()) v->FocusPage();
  });
}

void SearchController::SearchSelection(int mode) {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  v->RunScript(u"String(window.getSelection())", [this, mode](const ScriptResult& r) {
    if (!r.ok) return;
    u16 text = Trim(FromUtf8(r.json.size() >= 2 ? r.json.substr(1, r.json.size() - 2) : ""));
    if (text.empty()) return;
    SearchFor(text, mode);
  });
}

void SearchController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(kCmdFindInPage, [this] { FindInPage(false); });
  c.Add(kCmdHighlightInPage, [this] { HighlightInPage(); });
  c.Add(cmd::kFunctionKeyF6, [this] { FindInPage(true); });
  c.Add(cmd::kFunctionKeyF7, [this] { FindInPage(false); });
  c.Add(cmd::kHighlightSelection, [this] { SearchSelection(int(SearchMode::Highlight)); });
  c.Add(cmd::kFindSelection, [this] { SearchSelection(int(SearchMode::Find)); });
  c.Add(cmd::kSearch, [this] { Search(); });
  for (int id = kEngineIgnoredFirstId; id < kEngineMenuEndId; ++id)
    c.Add(id, [this, id] {
      if (engines_.SelectEngine(id) && bar_) bar_->SetEngineMenu(engines_.BuildEngineMenu());
    });
  c.Add(cmd::kClearKeywordHistory, [this] {
    keywords_.Clear(s_.settings);
    if (bar_) {
      bar_->SetKeywordList(keywords_.items());
      bar_->SetSearchBoxText(u"");
    }
  });
  c.Add(kCmdToggleSaveKeyword, [this] { s_.settings.saveKeyword = !s_.settings.saveKeyword; })
      .Checked([this] { return bool(s_.settings.saveKeyword); });
  c.Add(cmd::kFunctionKeyF10, [this] {
    if (bar_) bar_->FocusSearchBox();
  });
}

}  // namespace zel
