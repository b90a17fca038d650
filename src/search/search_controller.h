// The search bar: engines and their menu, the keyword history, web search, and find and
// highlight in the page.
#pragma once

#include <functional>
#include <map>
#include <optional>

#include "search/find_rules.h"
#include "search/keyword_history.h"
#include "search/search_engines.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class CVOPView;
class SearchBarView;

class SearchController : public FrameController {
 public:
  SearchController(const FrameServices& services, SearchBarView* bar);

  // The engines and the keyword history (when the bar is made).
  void LoadSearchBar();
  // The words go to the search box and are searched with the given mode (1 web search in a
  // new tab, 2 find in the page, 4 highlight in the page).
  void SearchFor(u16view words, int target);
  // Selects engine N of the menu (the text menu's engine list) and searches the words.
  void SearchWithEngine(int index, u16view words);
  const SearchEngines& searchEngines() const { return engines_; }
  const KeywordHistory& keywordHistory() const { return keywords_; }

  u16 searchWords;       // what the search box holds without a bar
  int searchTarget = 1;  // where the next search goes

  void OnTabClosed(CChildFrame* tab) override { pages_.erase(tab); }
  void OnPeriodicSave() override {
    if (keywords_.changed()) keywords_.Save(s_.settings);
  }
  void OnShutdown() override { keywords_.Save(s_.settings); }

 private:
  struct PageState {
    FindState find;
    HighlightState highlight;
  };
  void RegisterCommands();
  void Search();
  // The trimmed keyword of the box for find and highlight (kept in the history unless
  // saveKeyword says otherwise); nothing, after "请先输入关键字!", when it is empty.
  std::optional<u16> PageSearchKeyword();
  void FindInPage(bool backwards);
  void HighlightInPage();
  // Runs the find script in view's page; done gets the match count (-1 on failure).
  void RunFindScript(CVOPView* view, const u16& keyword, int target, const char16_t* mode,
                     std::function<void(int)> done);
  // The page's selected text, trimmed, goes into the keyword box and is searched.
  void SearchSelection(int mode);
  // The find and highlight state of a view's tab.
  PageState* StateOf(CVOPView* view);

  FrameServices s_;
  SearchBarView* bar_;
  SearchEngines engines_;
  KeywordHistory keywords_;
  std::map<CChildFrame*, PageState> pages_;
};

}  // namespace zel
