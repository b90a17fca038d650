#include "frame/page_menus.h"

#include "base/commands.h"
#include "base/files.h"
#include "frame/address_entry.h"
#include "frame/page_host_view.h"
#include "platform/clipboard_port.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "search/search_controller.h"
#include "view/child_frame.h"
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

PageMenuController::PageMenuController(const FrameServices& services, ViewSwitches& switches,
                                       PageHostView* pages, SearchController& search)
    : s_(services), switches_(switches), pages_(pages), search_(search) {
  RegisterCommands();
}

void PageMenuController::OpenInTab(u16view address, bool show) {
  s_.tabs.OpenUrl(address, {.tab = TabChoice::ReuseBlank, .start = StartKind::Address, .show = show});
}

void PageMenuController::SearchContext(int mode) {
  u16 text = Trim(contextText);
  if (!text.empty()) search_.SearchFor(text, mode);
}

void PageMenuController::SetMenuContext(ContextKind kind, u16view address, u16view text, int x, int y) {
  contextKind = kind;
  contextAddress = u16(address);
  contextText = u16(text);
  contextImage.clear();
  contextX = x;
  contextY = y;
}

bool PageMenuController::ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y) {
  if (!hit.link.empty()) {
    SetMenuContext(ContextKind::Link, hit.link, Trim(hit.linkText), x, y);
    contextImage = hit.image;
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

const u16& PageMenuController::FilterAddress() {
  if (contextKind == ContextKind::Link && !contextImage.empty()) contextAddress = contextImage;
  return contextAddress;
}

void PageMenuController::ShowContextMenu(ContextKind kind, int x, int y) {
  if (!pages_) return;
  switch (kind) {
    case ContextKind::Image:
      pages_->PopupMenu(ImageMenu(), s_.tabs.ActiveChild(), x, y);
      break;
    case ContextKind::Link:
      pages_->PopupMenu(LinkMenu(), s_.tabs.ActiveChild(), x, y);
      break;
    case ContextKind::Text: {
      std::vector<u16> titles;
      for (const SearchEngine& e : search_.searchEngines().engines()) titles.push_back(e.title);
      pages_->PopupMenu(TextMenu(titles), s_.tabs.ActiveChild(), x, y);
      break;
    }
  }
}

bool PageMenuController::OnPageDrop(const PageDrop& d) {
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
      action = LinkDropAction(s_.settings.linkDrag[dir]);
      break;
    case PageDrop::Text:
      SetMenuContext(kind, d.text, d.text, d.startX, d.startY);
      if (longDrag) {
        OpenContextText(d.text, false);
        return true;
      }
      action = TextDropAction(s_.settings.txtDrag[dir]);
      break;
    case PageDrop::Image:
      kind = ContextKind::Image;
      action = ImageDropAction(s_.settings.imgDrag[dir]);
      if (action.kind == DropAction::Command || action.kind == DropAction::Menu) {
        if (d.address.empty()) s_.tabs.SetStatusText(kNoDroppableImage);
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
      s_.commands.Run(action.command);
      return true;
    case DropAction::Refuse:
    case DropAction::Nothing:
      return true;
  }
  return true;
}

void PageMenuController::OpenContextText(u16view raw, bool show) {
  u16 text = Trim(raw);
  if (IsScriptOrMailText(text)) return;
  if (!IsContextAddress(text)) {
    if (text.empty()) return;
    search_.SearchFor(text, s_.keys && s_.keys->Shift() ? int(SearchMode::Highlight)
                                                        : int(SearchMode::Web));
    return;
  }
  // "www.…" and "ftp.…" get their scheme as typed text would.
  text = CompleteTypedAddress(text, {}, s_.settings).text;
  if (s_.tabs.PopupFilterOn())
    if (CChildFrame* same = s_.tabs.FindTabByAddress(text, nullptr)) {
      s_.tabs.ActivateTab(same);
      return;
    }
  OpenInTab(text, show);
}

void PageMenuController::OpenContextLink(u16view raw, int flags) {
  u16 address = Trim(raw);
  auto click = [this, flags] {
    CVOPView* v = s_.tabs.ActiveView();
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
  if (s_.tabs.PopupFilterOn())
    if (CChildFrame* same = s_.tabs.FindTabByAddress(address, nullptr)) {
      s_.tabs.ActivateTab(same);
      return;
    }
  click();
}

void PageMenuController::OpenSelectedLink() {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  v->RunScript(kSelectedLinkScript, [this](const ScriptResult& r) {
    std::optional<u16> link = r.ok ? JsonStringValue(r.json) : std::nullopt;
    u16 address = link ? Trim(*link) : u16();
    if (address.empty())
      s_.commands.Run(cmd::kNewBlankPage);
    else
      OpenInTab(address, s_.settings.activateNewTabs);
  });
}

void PageMenuController::SaveContextText() {
  if (contextText.empty() || !s_.prompts) return;
  auto path = s_.prompts->AskSaveFile(SaveTextFileName(contextText), u"txt", kSaveTextFilter);
  if (!path || path->empty()) return;
  // A file that cannot be written is passed over without a message.
  WriteUtf16LeFileAtomic(ToUtf8(*path), contextText);
}

void PageMenuController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(cmd::kOpenContext, [this] {
    if (contextKind == ContextKind::Link)
      OpenContextLink(contextAddress, kPendingNewTab);
    else
      OpenContextText(contextAddress, false);
  });
  c.Add(cmd::kOpenContextFront, [this] {
    if (contextKind == ContextKind::Link)
      OpenContextLink(contextAddress, kPendingActivate);
    else
      OpenContextText(contextAddress, true);
  });
  c.Add(cmd::kOpenContextBack, [this] {
    if (contextKind == ContextKind::Link) {
      OpenContextLink(contextAddress, kPendingBackground);
      return;
    }
    bool was = s_.settings.activateNewTabs;
    s_.settings.activateNewTabs = false;
    OpenContextText(contextAddress, false);
    s_.settings.activateNewTabs = was;
  });
  c.Add(cmd::kOpenContextReverse, [this] {
    if (contextKind == ContextKind::Link) {
      OpenContextLink(contextAddress, kPendingNewTab | 8);
      return;
    }
    int was = s_.settings.newsequence;
    s_.settings.newsequence = was == 1 ? 2 : 1;
    OpenContextText(contextAddress, false);
    s_.settings.newsequence = was;
  });
  c.Add(cmd::kOpenInOtherBrowser, [this] {
    if (!s_.shell || contextAddress.empty()) return;
    // A scheme-less "www." address goes out as the address box would open it.
    u16 address = CompleteTypedAddress(Trim(contextAddress), {}, s_.settings).text;
    if (!s_.shell->OpenInOtherBrowser(address))
      s_.tabs.SetStatusText(u"没有找到其他网页浏览器来打开 " + address);
  });
  c.Add(cmd::kOpenRedirectTarget, [this] {
    if (contextAddress.empty()) return;
    OpenInTab(RedirectTarget(contextAddress), s_.settings.activateNewTabs);
  });
  c.Add(cmd::kOpenFtpAddress, [this] {
    if (contextAddress.empty()) return;
    if (s_.shell) {
      HandOffResult r = HandOffFtp(contextAddress, s_.tabs.RuleSettings(), *s_.shell);
      if (r.handled) {
        if (!r.message.empty() && s_.prompts) s_.prompts->Message(r.message);
        return;
      }
    }
    OpenInTab(contextAddress, s_.settings.activateNewTabs);
  });
  c.Add(cmd::kShowContextAddress, [this] { s_.tabs.SetStatusText(contextAddress); });
  c.Add(cmd::kEditContextAddress, [this] { OpenContextText(contextAddress, false); });
  c.Add(cmd::kEditContextText, [this] {
    if (!s_.prompts) return;
    auto text = s_.prompts->AskText(u"文本:", kAppTitle, contextText, false);
    if (!text || text->empty()) return;
    contextText = *text;
    OpenContextText(contextText, false);
  });
  c.Add(cmd::kCopyContextAddress, [this] {
    if (s_.clipboard) s_.clipboard->SetText(contextAddress);
  });
  c.Add(cmd::kCopyContextText, [this] {
    if (s_.clipboard) s_.clipboard->SetText(contextText);
  });
  c.Add(cmd::kShowPicture, [this] {
    CVOPView* v = s_.tabs.ActiveView();
    if (v && v->engine()) v->engine()->ShowPictureAt(contextX, contextY);
  });
  c.Add(cmd::kOpenFromClipboard, [this] {
    if (!s_.clipboard) return;
    s_.clipboard->RequestText([this](std::optional<u16> text) {
      if (!text || text->empty() || IsScriptOrMailText(*text)) return;
      OpenContextText(*text, s_.settings.newactiveopen);
    });
  });
  c.Add(cmd::kSaveContextText, [this] { SaveContextText(); });
  c.Add(cmd::kOpenSelectedLink, [this] { OpenSelectedLink(); });
  c.Add(cmd::kOpenSelectedLinkText, [this] { OpenSelectedLink(); });
  for (int id = cmd::kContextEngineFirst; id < cmd::kContextEngineEnd; ++id)
    c.Add(id, [this, id] { search_.SearchWithEngine(id - cmd::kContextEngineFirst, contextText); });
  // Gestures and page dragging switch each other off.
  c.Add(cmd::kGestures,
        [this] {
          switches_.gesturesOn = !switches_.gesturesOn;
          if (switches_.gesturesOn) s_.settings.rdrag = false;
        })
      .Checked([this] { return switches_.gesturesOn; });
  c.Add(cmd::kPageDrag,
        [this] {
          s_.settings.rdrag = !s_.settings.rdrag;
          if (s_.settings.rdrag) switches_.gesturesOn = false;
        })
      .Checked([this] { return s_.settings.rdrag; });
  // Searches of the context text: 1134 on the web (highlight with Shift), 1148, 1149.
  c.Add(cmd::kSearchContext, [this] {
    SearchContext(s_.keys && s_.keys->Shift() ? int(SearchMode::Highlight)
                                              : int(SearchMode::Web));
  });
  c.Add(cmd::kHighlightContext, [this] { SearchContext(int(SearchMode::Highlight)); });
  c.Add(cmd::kFindContext, [this] { SearchContext(int(SearchMode::Find)); });
}

}  // namespace zel
