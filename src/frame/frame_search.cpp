// The search bar: engines and their menu, the keyword history, the search command.
#include "base/files.h"
#include "frame/commands.h"
#include "frame/frame_window.h"
#include "frame/child_frame.h"
#include "frame/main_frame.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "res/page_scripts.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

void CMainFrame::LoadSearchBar() {
  // A new user gets a few engines, so the menu is never empty.
  if (!FileExists(SearchEngineFile())) InstallDefaultSearchEngines();
  searchEngines_.Load();
  keywords_.Load();
  if (ports_.window) {
    ports_.window->searchBar().SetEngineMenu(searchEngines_.BuildEngineMenu());
    ports_.window->searchBar().SetKeywordList(keywords_.items());
  }
}

void CMainFrame::Search() {
  u16 keyword = Trim(ports_.window ? ports_.window->searchBar().SearchBoxText() : searchWords);
  if (keyword.empty()) return;
  if (keywords_.Add(keyword) && ports_.window) ports_.window->searchBar().SetKeywordList(keywords_.items());
  if (searchTarget == int(SearchMode::Find)) {
    FindInPage(false);
    return;
  }
  if (searchTarget == int(SearchMode::Highlight)) {
    OnCommand(kCmdHighlightInPage);
    return;
  }
  if (ports_.window) ports_.window->searchBar().SetSearchBoxText(keyword);
  OpenUrl(2, 2, searchEngines_.SearchUrl(keyword), nullptr, true);
}

void CMainFrame::RunFindScript(CVOPView* view, const u16& keyword, int target,
                               const char16_t* mode, std::function<void(int)> done) {
  u16 call = FromUtf8(kFindInPageJs) +
             Format(u"(%s, %s, %s, %d, \"%s\")", JsStringLiteral(keyword),
                    settings_.matchcase ? u"true" : u"false",
                    settings_.matchwhole ? u"true" : u"false", target, mode);
  view->RunScript(call, [done](const ScriptResult& r) { done(r.ok ? ToInt(FromUtf8(r.json)) : -1); });
}

std::optional<u16> CMainFrame::PageSearchKeyword() {
  u16 keyword = Trim(ports_.window ? ports_.window->searchBar().SearchBoxText() : searchWords);
  if (keyword.empty()) {
    if (ports_.prompts) ports_.prompts->Message(kNoKeywordMessage);
    return std::nullopt;
  }
  if (!settings_.saveKeyword && keywords_.Add(keyword) && ports_.window)
    ports_.window->searchBar().SetKeywordList(keywords_.items());
  return keyword;
}

void CMainFrame::FindInPage(bool backwards) {
  CVOPView* v = ActiveView();
  if (!v) return;
  auto word = PageSearchKeyword();
  if (!word) return;
  const u16& keyword = *word;
  bool shift = backwards || (ports_.keys && ports_.keys->Shift());
  auto step = [this, v, keyword, shift] {
    int target = NextFindTarget(v->findState, shift);
    RunFindScript(v, keyword, target, u"find", [this, v, target](int count) {
      if (count < 0) return;
      FindStep result = FinishFind(v->findState, target, count);
      if (v == ActiveView()) SetStatusText(result.status);
      if (result.again) PostMessage(msg::kCommand, kCmdFindInPage);
    });
  };
  if (BeginFind(v->findState, keyword, settings_.matchcase)) {
    RunFindScript(v, keyword, -1, u"find", [v, step](int count) {
      if (count < 0) return;
      StartNewFindKeyword(v->findState, count);
      step();
    });
  } else {
    step();
  }
}

void CMainFrame::HighlightInPage() {
  CVOPView* v = ActiveView();
  if (!v) return;
  auto word = PageSearchKeyword();
  if (!word) return;
  const u16& keyword = *word;
  bool remove = BeginHighlight(v->highlightState, keyword);
  RunFindScript(v, keyword, -1, remove ? u"unmark" : u"mark", [this, v](int count) {
    if (count < 0) return;
    u16 status = FinishHighlight(v->highlightState, count);
    if (v != ActiveView()) return;
    SetStatusText(status);
    if (ports_.window && ports_.window->searchBar().SearchBoxHasFocus()) v->FocusPage();
  });
}

void CMainFrame::SearchSelection(int mode) {
  CVOPView* v = ActiveView();
  if (!v) return;
  v->RunScript(u"String(window.getSelection())", [this, mode](const ScriptResult& r) {
    if (!r.ok) return;
    u16 text = Trim(FromUtf8(r.json.size() >= 2 ? r.json.substr(1, r.json.size() - 2) : ""));
    if (text.empty()) return;
    searchTarget = mode;
    if (ports_.window) ports_.window->searchBar().SetSearchBoxText(text);
    OnCommand(cmd::kSearch);
  });
}

void CMainFrame::OpenDialog() {
  if (!ports_.window) return;
  std::vector<u16> history;
  if (ports_.registry)
    for (int i = 1;; ++i) {
      auto v = ports_.registry->GetString(kHkcuTypedUrls, Format(u"url%d", i));
      if (!v) break;
      history.push_back(*v);
    }
  auto choice = ports_.window->addressBar().AskOpenAddress(history);
  if (!choice) return;
  u16 text = Trim(choice->text);
  if (text.empty()) return;
  if (ports_.shell) {
    HandOffResult r = HandOffTypedEntry(text, RuleSettings(), *ports_.shell);
    if (r.handled) return;
    if (!r.text.empty()) text = r.text;
  }
  NavigateTypedText(text, !active_ || choice->newTab);
}

void CMainFrame::RegisterSearchCommands() {
  commands_[kCmdFindInPage] = [this] { FindInPage(false); };
  commands_[kCmdHighlightInPage] = [this] { HighlightInPage(); };
  // F6 finds backwards, F7 forwards.
  commands_[cmd::kFunctionKeyF2 + 4] = [this] { FindInPage(true); };
  commands_[cmd::kFunctionKeyF2 + 5] = [this] { FindInPage(false); };
  // F8: the address box; F9: the address box with its list open.
  commands_[cmd::kFunctionKeyF2 + 6] = [this] { FocusAddressBox(); };
  commands_[cmd::kFunctionKeyF2 + 7] = [this] {
    FocusAddressBox();
    if (ports_.window) ports_.window->addressBar().PopupAddressList();
  };
  commands_[1171] = [this] { SearchSelection(int(SearchMode::Highlight)); };
  commands_[1172] = [this] { SearchSelection(int(SearchMode::Find)); };
  auto fromContext = [this](int mode) {
    u16 text = Trim(contextText);
    if (text.empty()) return;
    searchTarget = mode;
    if (ports_.window) ports_.window->searchBar().SetSearchBoxText(text);
    OnCommand(cmd::kSearch);
  };
  commands_[1134] = [this, fromContext] {
    fromContext(ports_.keys && ports_.keys->Shift() ? int(SearchMode::Highlight)
                                                    : int(SearchMode::Web));
  };
  commands_[1148] = [fromContext] { fromContext(int(SearchMode::Highlight)); };
  commands_[1149] = [fromContext] { fromContext(int(SearchMode::Find)); };
  commands_[922] = [this] { OpenDialog(); };
  commands_[cmd::kSearch] = [this] { Search(); };
  for (int id = kEngineIgnoredFirstId; id < kEngineMenuEndId; ++id)
    commands_[id] = [this, id] {
      if (searchEngines_.SelectEngine(id) && ports_.window)
        ports_.window->searchBar().SetEngineMenu(searchEngines_.BuildEngineMenu());
    };
  commands_[kCmdClearKeywordHistory] = [this] {
    keywords_.Clear(settings_);
    if (ports_.window) {
      ports_.window->searchBar().SetKeywordList(keywords_.items());
      ports_.window->searchBar().SetSearchBoxText(u"");
    }
  };
  commands_[kCmdToggleSaveKeyword] = [this] {
    settings_.saveKeyword = !settings_.saveKeyword;
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
  // F10: the keyword box.
  commands_[cmd::kFunctionKeyF2 + 8] = [this] {
    if (ports_.window) ports_.window->searchBar().FocusSearchBox();
  };
}

}  // namespace zel
