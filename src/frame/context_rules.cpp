#include "frame/context_rules.h"

#include <iterator>

#include "base/commands.h"
#include "view/url_rules.h"

namespace zel {

bool IsScriptOrMailText(u16view text) {
  return StartsWithNoCase(text, u"javascript:") || StartsWithNoCase(text, u"vbscript:") ||
         StartsWithNoCase(text, u"mailto:");
}

bool IsContextAddress(u16view text) {
  if (text.size() < 8) return IsFtpAddress(text);
  for (const char16_t* p : {u"http://", u"file://", u"https://", u"www.", u"res://"})
    if (StartsWithNoCase(text, p)) return true;
  return IsFtpAddress(text) || EqualsNoCase(text, u"about:blank");
}

bool IsLinkAddress(u16view text) {
  if (text.size() < 2) return false;
  auto after = [&](char16_t c) {
    size_t i = text.find(c, 1);
    return i != u16view::npos;
  };
  bool candidate = after(u'.') || after(u'/') || text.find(u'\\') != u16view::npos ||
                   (text[1] == u':' && (text.size() == 2 || text[2] == u'/' || text[2] == u'\\'));
  if (!candidate) return false;
  size_t at = text.find(u'@', 1);
  return at == u16view::npos || IsAddress(text);
}

u16 RedirectTarget(u16view address) {
  size_t sep = address.find(u"://", 6);
  if (sep == u16view::npos) return u16(address);
  for (const char16_t* scheme : {u"http://", u"https://", u"ftp://", u"file://"}) {
    size_t at = address.find(scheme, 6);
    if (at != u16view::npos) return u16(address.substr(at));
  }
  return u16(address);
}

u16 SaveTextFileName(u16view text) {
  size_t cut = text.find_first_of(u"\\/:*?\"<>|\r\n");
  if (cut != u16view::npos && cut >= 1) return u16(text.substr(0, cut));
  return u16(text);
}

DragDirection DirectionOfDrag(int dx, int dy) {
  int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  if (dx > ay && dx > 0) return DragDirection::Right;
  if (ax > ay && dx < 0) return DragDirection::Left;
  if (dy > ax && dy > 0) return DragDirection::Down;
  return DragDirection::Up;  // up, no movement or an exact diagonal
}

bool IsImageFile(u16view path) {
  size_t dot = path.rfind(u'.');
  if (dot == u16view::npos) return false;
  u16view ext = path.substr(dot);
  for (const char16_t* e :
       {u".gif", u".jpg", u".jpeg", u".bmp", u".ico", u".pcx", u".tif", u".png", u".wmf"})
    if (EqualsNoCase(ext, e)) return true;
  return false;
}

namespace {
DropAction FromTable(int value, const int* commands, size_t count, bool secondIsMenu) {
  if (value == 1) return {DropAction::EngineDefault, 0};
  if (value == 2) return {secondIsMenu ? DropAction::Menu : DropAction::Refuse, 0};
  if (value < 1 || size_t(value) > count + 2) return {DropAction::Nothing, 0};
  int id = commands[value - 3];
  if (id == 0) return {DropAction::Nothing, 0};
  if (id < 0) return {DropAction::Menu, 0};
  return {DropAction::Command, id};
}
// Rows 3 and up; 0 does nothing, -1 shows the menu.
constexpr int kImageRows[] = {
    -1,
    cmd::kShowContextAddress,
    cmd::kAddToContentFilter,
    cmd::kEditContextAddress,
    cmd::kCopyContextAddress,
    cmd::kShowPicture,
    cmd::kOpenContext,
};
constexpr int kLinkRows[] = {
    cmd::kOpenContext,
    cmd::kOpenContextFront,
    cmd::kOpenInOtherBrowser,
    cmd::kOpenRedirectTarget,
    cmd::kEditContextText,
    cmd::kCopyContextText,
    cmd::kEditContextAddress,
    cmd::kCopyContextAddress,
    cmd::kAddToContentFilter,
    cmd::kAddLinkToFavorites,
    cmd::kOpenContextBack,
    cmd::kOpenContextReverse,
    cmd::kShowPicture,
    cmd::kCollectLink,
};
constexpr int kTextRows[] = {
    cmd::kOpenContext,
    cmd::kOpenContextFront,
    cmd::kOpenInOtherBrowser,
    cmd::kSearchContext,
    cmd::kHighlightContext,
    cmd::kFindContext,
    cmd::kSaveContextText,
    0,
    cmd::kEditContextText,
    cmd::kCopyContextText,
    cmd::kOpenSelectedLinkText,
    cmd::kAddToContentFilter,
    cmd::kOpenContextBack,
    cmd::kOpenContextReverse,
};
}  // namespace

DropAction ImageDropAction(int value) {
  return FromTable(value, kImageRows, std::size(kImageRows), false);
}
DropAction LinkDropAction(int value) {
  return FromTable(value, kLinkRows, std::size(kLinkRows), true);
}
DropAction TextDropAction(int value) {
  return FromTable(value, kTextRows, std::size(kTextRows), true);
}

}  // namespace zel
