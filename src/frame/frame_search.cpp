// The search bar: engines and their menu, the keyword history, the search command.
#include "base/files.h"
#include "frame/commands.h"
#include "frame/frame_window.h"
#include "frame/main_frame.h"

namespace zel {

void CMainFrame::LoadSearchBar() {
  // A new user gets a few engines, so the menu is never empty.
  if (!FileExists(SearchEngineFile())) InstallDefaultSearchEngines();
  searchEngines_.Load();
  keywords_.Load();
  if (ports_.window) {
    ports_.window->SetEngineMenu(searchEngines_.BuildEngineMenu());
    ports_.window->SetKeywordList(keywords_.items());
  }
}

void CMainFrame::Search() {
  u16 keyword = Trim(ports_.window ? ports_.window->SearchBoxText() : searchWords);
  if (keyword.empty()) return;
  if (keywords_.Add(keyword) && ports_.window) ports_.window->SetKeywordList(keywords_.items());
  if (searchTarget == int(SearchMode::Find)) {
    OnCommand(kCmdFindInPage);
    return;
  }
  if (searchTarget == int(SearchMode::Highlight)) {
    OnCommand(kCmdHighlightInPage);
    return;
  }
  if (ports_.window) ports_.window->SetSearchBoxText(keyword);
  OpenUrl(2, 2, searchEngines_.SearchUrl(keyword), nullptr, true);
}

void CMainFrame::RegisterSearchCommands() {
  commands_[cmd::kSearch] = [this] { Search(); };
  for (int id = kEngineIgnoredFirstId; id < kEngineMenuEndId; ++id)
    commands_[id] = [this, id] {
      if (searchEngines_.SelectEngine(id) && ports_.window)
        ports_.window->SetEngineMenu(searchEngines_.BuildEngineMenu());
    };
  commands_[kCmdClearKeywordHistory] = [this] {
    keywords_.Clear(settings_);
    if (ports_.window) {
      ports_.window->SetKeywordList(keywords_.items());
      ports_.window->SetSearchBoxText(u"");
    }
  };
  commands_[kCmdToggleSaveKeyword] = [this] {
    settings_.saveKeyword = !settings_.saveKeyword;
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
  // F10: the keyword box.
  commands_[cmd::kFunctionKeyF2 + 8] = [this] {
    if (ports_.window) ports_.window->FocusSearchBox();
  };
}

}  // namespace zel
