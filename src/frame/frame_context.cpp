// The page's context menus and drags: the menu context, the commands that open, show,
// copy, edit and save it, and the decision a drop on the page makes.
#include "base/files.h"
#include "frame/child_frame.h"
#include "frame/commands.h"
#include "frame/main_frame.h"
#include "platform/clipboard_port.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "view/url_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kSaveTextFilter[] = u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*||";
constexpr char16_t kNoDroppableImage[] = u"非可拖放图片或图片未显示!";

// The address of the first link whose text lies wholly inside the page's selection.
constexpr char16_t kSelectedLinkScript[] =
    u"(function(){try{var s=window.getSelection();if(!s||s.rangeCount<1)return null;"
    u"var r=s.getRangeAt(0),ls=document.links;for(var i=0;i<ls.length;i++){"
    u"var b=document.createRange();b.selectNodeContents(ls[i]);"
    u"if(r.compareBoundaryPoints(Range.START_TO_START,b)<=0&&"
    u"r.compareBoundaryPoints(Range.END_TO_END,b)>=0)return ls[i].href;}"
    u"return null;}catch(e){return null;}})()";
}  // namespace

void CMainFrame::SetMenuContext(ContextKind kind, u16view address, u16view text, int x, int y) {
  contextKind = kind;
  contextAddress = u16(address);
  contextText = u16(text);
  contextX = x;
  contextY = y;
}

bool CMainFrame::ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y) {
  if (!hit.link.empty()) {
    SetMenuContext(ContextKind::Link, hit.link, Trim(hit.linkText), x, y);
    ShowContextMenu(ContextKind::Link, x, y);
    return true;
  }
  if (!hit.image.empty()) {
    SetMenuContext(ContextKind::Image, hit.image, u"", x, y);
    ShowContextMenu(ContextKind::Image, x, y);
    return true;
  }
  if (!hit.selection || hit.editable) return false;
  // The selected text comes from the page; the menu follows once it is known.
  view.RunScript(u"String(window.getSelection())", [this, x, y](const ScriptResult& r) {
    u16 text = r.ok ? JsonStringValue(r.json).value_or(u"") : u"";
    SetMenuContext(ContextKind::Text, text, text, x, y);
    ShowContextMenu(ContextKind::Text, x, y);
  });
  return true;
}

void CMainFrame::ShowContextMenu(ContextKind kind, int x, int y) {
  if (!ports_.window) return;
  switch (kind) {
    case ContextKind::Image:
      ports_.window->pageHost().PopupMenu(ImageMenu(), active_, x, y);
      break;
    case ContextKind::Link:
      ports_.window->pageHost().PopupMenu(LinkMenu(), active_, x, y);
      break;
    case ContextKind::Text: {
      std::vector<u16> titles;
      for (const SearchEngine& e : searchEngines_.engines()) titles.push_back(e.title);
      ports_.window->pageHost().PopupMenu(TextMenu(titles), active_, x, y);
      break;
    }
  }
}

bool CMainFrame::OnPageDrop(const PageDrop& d) {
  int dir = int(DirectionOfDrag(d.x - d.startX, d.y - d.startY));
  bool longDrag = d.elapsedMs > kLongDragMs;
  DropAction action;
  ContextKind kind = ContextKind::Text;
  switch (d.kind) {
    case PageDrop::Link:
      if (longDrag) {
        SetMenuContext(ContextKind::Text, d.address, d.address, d.startX, d.startY);
        OpenContextText(d.address, false);
        return true;
      }
      kind = ContextKind::Link;
      SetMenuContext(kind, d.address, d.text, d.startX, d.startY);
      action = LinkDropAction(settings_.linkDrag[dir]);
      break;
    case PageDrop::Text:
      SetMenuContext(kind, d.text, d.text, d.startX, d.startY);
      if (longDrag) {
        OpenContextText(d.text, false);
        return true;
      }
      action = TextDropAction(settings_.txtDrag[dir]);
      break;
    case PageDrop::Image:
      kind = ContextKind::Image;
      action = ImageDropAction(settings_.imgDrag[dir]);
      if (action.kind == DropAction::Command || action.kind == DropAction::Menu) {
        if (d.address.empty()) SetStatusText(kNoDroppableImage);
        SetMenuContext(kind, d.address, u"", d.startX, d.startY);
      }
      break;
  }
  switch (action.kind) {
    case DropAction::EngineDefault:
      return false;
    case DropAction::Menu:
      ShowContextMenu(kind, d.x, d.y);
      return true;
    case DropAction::Command:
      OnCommand(action.command);
      return true;
    case DropAction::Refuse:
    case DropAction::Nothing:
      return true;
  }
  return true;
}

void CMainFrame::OpenContextText(u16view raw, bool show) {
  u16 text = Trim(raw);
  if (IsScriptOrMailText(text)) return;
  if (!IsContextAddress(text)) {
    if (text.empty()) return;
    searchTarget = ports_.keys && ports_.keys->Shift() ? int(SearchMode::Highlight)
                                                       : int(SearchMode::Web);
    searchWords = text;
    if (ports_.window) ports_.window->searchBar().SetSearchBoxText(text);
    OnCommand(cmd::kSearch);
    return;
  }
  if (filters_.switches.popup)
    if (CChildFrame* same = FindTabByAddress(text, nullptr)) {
      ActivateTab(same);
      return;
    }
  OpenUrl(1, 2, text, nullptr, show);
}

void CMainFrame::OpenContextLink(u16view raw, int flags) {
  u16 address = Trim(raw);
  auto click = [this, flags] {
    CVOPView* v = ActiveView();
    if (!v || !v->engine()) return;
    v->RecordUserAction(true, false);
    v->child().pendingNewWindowFlags = flags;
    v->engine()->ClickAt(contextX, contextY);
  };
  if (IsScriptOrMailText(address)) {
    click();
    return;
  }
  if (!IsLinkAddress(address)) {
    if (!address.empty()) OpenContextText(address, false);
    return;
  }
  if (filters_.switches.popup)
    if (CChildFrame* same = FindTabByAddress(address, nullptr)) {
      ActivateTab(same);
      return;
    }
  click();
}

void CMainFrame::OpenSelectedLink() {
  CVOPView* v = ActiveView();
  if (!v) return;
  v->RunScript(kSelectedLinkScript, [this](const ScriptResult& r) {
    std::optional<u16> link = r.ok ? JsonStringValue(r.json) : std::nullopt;
    u16 address = link ? Trim(*link) : u16();
    if (address.empty())
      OnCommand(cmd::kNewBlankPage);
    else
      OpenUrl(1, 2, address, nullptr, settings_.activateNewTabs);
  });
}

void CMainFrame::SaveContextText() {
  if (contextText.empty() || !ports_.prompts) return;
  auto path = ports_.prompts->AskSaveFile(SaveTextFileName(contextText), u"txt", kSaveTextFilter);
  if (!path || path->empty()) return;
  // A file that cannot be written is passed over without a message.
  WriteUtf16LeFileAtomic(ToUtf8(*path), contextText);
}

void CMainFrame::SystemCommand(int id) {
  if (!ports_.window) return;
  if (id == kSysCommandMinimize) ports_.window->Minimize();
  if (id == kSysCommandRestore) ports_.window->Restore();
}

void CMainFrame::RegisterContextCommands() {
  commands_[cmd::kOpenContext] = [this] {
    if (contextKind == ContextKind::Link)
      OpenContextLink(contextAddress, kPendingNewTab);
    else
      OpenContextText(contextAddress, false);
  };
  commands_[cmd::kOpenContextFront] = [this] {
    if (contextKind == ContextKind::Link)
      OpenContextLink(contextAddress, kPendingActivate);
    else
      OpenContextText(contextAddress, true);
  };
  commands_[cmd::kOpenContextBack] = [this] {
    if (contextKind == ContextKind::Link) {
      OpenContextLink(contextAddress, kPendingBackground);
      return;
    }
    bool was = settings_.activateNewTabs;
    settings_.activateNewTabs = false;
    OpenContextText(contextAddress, false);
    settings_.activateNewTabs = was;
  };
  commands_[cmd::kOpenContextReverse] = [this] {
    if (contextKind == ContextKind::Link) {
      OpenContextLink(contextAddress, kPendingNewTab | 8);
      return;
    }
    int was = settings_.newsequence;
    settings_.newsequence = was == 1 ? 2 : 1;
    OpenContextText(contextAddress, false);
    settings_.newsequence = was;
  };
  commands_[cmd::kOpenInOtherBrowser] = [this] {
    if (ports_.shell && !contextAddress.empty()) ports_.shell->OpenInOtherBrowser(contextAddress);
  };
  commands_[cmd::kOpenRedirectTarget] = [this] {
    if (contextAddress.empty()) return;
    OpenUrl(1, 2, RedirectTarget(contextAddress), nullptr, settings_.activateNewTabs);
  };
  commands_[cmd::kOpenFtpAddress] = [this] {
    if (contextAddress.empty()) return;
    if (ports_.shell) {
      HandOffResult r = HandOffFtp(contextAddress, RuleSettings(), *ports_.shell);
      if (r.handled) {
        if (!r.message.empty() && ports_.prompts) ports_.prompts->Message(r.message);
        return;
      }
    }
    OpenUrl(1, 2, contextAddress, nullptr, settings_.activateNewTabs);
  };
  commands_[cmd::kShowContextAddress] = [this] { SetStatusText(contextAddress); };
  commands_[cmd::kEditContextAddress] = [this] { OpenContextText(contextAddress, false); };
  commands_[cmd::kEditContextText] = [this] {
    if (!ports_.prompts) return;
    auto text = ports_.prompts->AskText(u"文本:", kAppTitle, contextText, false);
    if (!text || text->empty()) return;
    contextText = *text;
    OpenContextText(contextText, false);
  };
  commands_[cmd::kCopyContextAddress] = [this] {
    if (ports_.clipboard) ports_.clipboard->SetText(contextAddress);
  };
  commands_[cmd::kCopyContextText] = [this] {
    if (ports_.clipboard) ports_.clipboard->SetText(contextText);
  };
  commands_[cmd::kShowPicture] = [this] {
    CVOPView* v = ActiveView();
    if (v && v->engine()) v->engine()->ShowPictureAt(contextX, contextY);
  };
  commands_[cmd::kOpenFromClipboard] = [this] {
    if (!ports_.clipboard) return;
    ports_.clipboard->RequestText([this](std::optional<u16> text) {
      if (!text || text->empty() || IsScriptOrMailText(*text)) return;
      OpenContextText(*text, settings_.newactiveopen);
    });
  };
  commands_[cmd::kSaveContextText] = [this] { SaveContextText(); };
  commands_[cmd::kOpenSelectedLink] = [this] { OpenSelectedLink(); };
  commands_[cmd::kOpenSelectedLinkText] = [this] { OpenSelectedLink(); };
  for (int id = cmd::kContextEngineFirst; id < cmd::kContextEngineEnd; ++id)
    commands_[id] = [this, id] {
      if (searchEngines_.SelectEngine(kEngineMenuFirstId + id - cmd::kContextEngineFirst) &&
          ports_.window)
        ports_.window->searchBar().SetEngineMenu(searchEngines_.BuildEngineMenu());
      u16 text = Trim(contextText);
      if (text.empty()) return;
      searchTarget = int(SearchMode::Web);
      if (ports_.window) ports_.window->searchBar().SetSearchBoxText(text);
      OnCommand(cmd::kSearch);
    };
  commands_[cmd::kGestures] = [this] {
    gesturesOn = !gesturesOn;
    if (gesturesOn) settings_.rdrag = false;
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
  commands_[cmd::kPageDrag] = [this] {
    settings_.rdrag = !settings_.rdrag;
    if (settings_.rdrag) gesturesOn = false;
    if (ports_.window) ports_.window->RefreshCommandStates();
  };
}

}  // namespace zel
