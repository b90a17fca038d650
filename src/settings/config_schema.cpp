#include "settings/config_schema.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace zel {

const char16_t kDefaultGestureList[] =
    u"<gesture action=\"U\" cmd=\"9\" title=\"向上滚屏\" />"
    u"<gesture action=\"D\" cmd=\"10\" title=\"向下滚屏\" />"
    u"<gesture action=\"R\" cmd=\"1\" title=\"前进\" />"
    u"<gesture action=\"L\" cmd=\"0\" title=\"后退\" />"
    u"<gesture action=\"DR\" cmd=\"20\" title=\"关闭\" />"
    u"<gesture action=\"UD\" cmd=\"2\" title=\"刷新\" />";

namespace {

using enum SettingType;
using enum LoadPoint;
using F = FrameSettings;
using C = FrameSettings::CleanFlags;
constexpr SavePoint Before = SavePoint::ExitBeforeSearchWords;
constexpr SavePoint After = SavePoint::ExitAfterSearchWords;

// Row: section, key, type, first-run value, absent value, load point, field, save point,
// the order of the write within the save point. The exit saves write, in their order:
// GENERAL/skin; POPUPBLOCK enable, killflying; CONTENTBLOCK enable; PROXYSET enable, webprx,
// curpro, proname, exception; TABSET newactivewnd, newtablink, style, newsequence, maxwidth,
// minwidth, small; (the search words, by their owner); SEARCHSET matchcase, matchwhole,
// saveKeyword; MOUSESET rdrag.
constexpr SettingDef kSchema[] = {
    // GENERAL, first-run keys in their order
    {u"GENERAL", u"firstrun", Int, u"1", u"0", Frame, Bind(&F::firstrun)},
    {u"GENERAL", u"zoomed", Int, u"1", u"1", Early, Bind(&F::zoomed)},
    {u"GENERAL", u"homepage", Text, u"about:blank", u"about:blank", Early, Bind(&F::homepage)},
    {u"GENERAL", u"startmode", Int, u"1", u"0", Early, Bind(&F::storedStartmode)},
    {u"GENERAL", u"skin", Text, u"default", u"default", Frame, Bind(&F::skin), Before, 1},
    {u"GENERAL", u"top", Int, u"50", u"50", Early, Bind(&F::top)},
    {u"GENERAL", u"left", Int, u"50", u"50", Early, Bind(&F::left)},
    {u"GENERAL", u"width", Int, u"800", u"800", Early, Bind(&F::width)},
    {u"GENERAL", u"height", Int, u"600", u"600", Early, Bind(&F::height)},
    {u"GENERAL", u"ctlpro", Int, u"112", nullptr, Early, Bind(&F::ctlpro)},
    {u"GENERAL", u"normalquit", Int, nullptr, u"1", Early, Bind(&F::normalquit)},
    {u"GENERAL", u"checkdefault", Int, nullptr, u"1", Early, Bind(&F::checkdefault)},
    {u"GENERAL", u"bosskey", Int, nullptr, u"0", Late, Bind(&F::bosskey)},
    {u"GENERAL", u"minitray", Int, nullptr, u"0", Late, Bind(&F::minitray)},
    {u"GENERAL", u"closetray", Int, nullptr, u"0", Late, Bind(&F::closetray)},
    {u"GENERAL", u"showtray", Int, nullptr, u"0", Late, Bind(&F::showtray)},
    {u"GENERAL", u"encryform", Int, nullptr, u"0", Late, Bind(&F::encryform)},
    {u"GENERAL", u"downloadfolder", Text, nullptr, u"", Late, Bind(&F::downloadfolder)},
    {u"GENERAL", u"quitconfirm", Int, nullptr, u"0", Late, Bind(&F::quitconfirm)},
    {u"GENERAL", u"quitallconfirm", Int, nullptr, u"0", Late, Bind(&F::quitallconfirm)},
    {u"GENERAL", u"watchclipboard", Int, nullptr, u"1", Late, Bind(&F::watchclipboard)},
    // TABSET
    {u"TABSET", u"small", Int, u"0", u"0", Frame, Bind(&F::smallTabs), Before, 16},
    {u"TABSET", u"locked", Int, u"1", nullptr, Never},
    {u"TABSET", u"limit", Int, u"100", u"100", Early, Bind(&F::tabLimit)},
    {u"TABSET", u"maxwidth", Int, u"100", u"100", Early, Bind(&F::maxwidth), Before, 14},
    {u"TABSET", u"minwidth", Int, u"50", u"50", Early, Bind(&F::minwidth), Before, 15},
    {u"TABSET", u"newactivewnd", Int, u"1", u"1", Early, Bind(&F::activateNewTabs), Before, 10},
    {u"TABSET", u"newtablink", Int, u"0", u"0", Late, Bind(&F::newtablink), Before, 11},
    {u"TABSET", u"newsequence", Int, u"1", u"1", Early, Bind(&F::newsequence), Before, 13},
    {u"TABSET", u"newactiveopen", Int, nullptr, u"1", Late, Bind(&F::newactiveopen)},
    {u"TABSET", u"closeactiveseq", Int, nullptr, u"0", Late, Bind(&F::closeactiveseq)},
    {u"TABSET", u"newtabaddress", Int, nullptr, u"0", Late, Bind(&F::newtabaddress)},
    {u"TABSET", u"newtabhome", Int, nullptr, u"1", Late, Bind(&F::newtabhome)},
    {u"TABSET", u"newtabfav", Int, nullptr, u"1", Late, Bind(&F::newtabfav)},
    {u"TABSET", u"newtabhis", Int, nullptr, u"1", Late, Bind(&F::newtabhis)},
    {u"TABSET", u"newtablocal", Int, nullptr, u"1", Late, Bind(&F::newtablocal)},
    {u"TABSET", u"newmode", Int, nullptr, u"0", Late, Bind(&F::newmode)},
    {u"TABSET", u"ldbtab", Int, nullptr, u"0", Late, Bind(&F::ldbtab)},
    {u"TABSET", u"mktab", Int, nullptr, u"0", Late, Bind(&F::mktab)},
    {u"TABSET", u"rdbtab", Int, nullptr, u"0", Late, Bind(&F::rdbtab)},
    {u"TABSET", u"ldbbar", Int, nullptr, u"0", Late, Bind(&F::ldbbar)},
    {u"TABSET", u"rdbbar", Int, nullptr, u"0", Late, Bind(&F::rdbbar)},
    {u"TABSET", u"style", Int, nullptr, nullptr, Never, Bind(&F::tabStyle), Before, 12},
    {u"TABSET", u"TabBar_Position", Int, nullptr, u"0", Frame, Bind(&F::tabBarPosition)},
    // PROXYSET
    {u"PROXYSET", u"enable", Int, u"0", u"0", Early, Bind(&F::proxyEnable), Before, 5},
    {u"PROXYSET", u"curpro", Text, nullptr, u"", Early, Bind(&F::curpro), Before, 7},
    {u"PROXYSET", u"proname", Text, nullptr, u"", Early, Bind(&F::proname), Before, 8},
    {u"PROXYSET", u"exception", Text, nullptr, u"<local>", Early, Bind(&F::exception), Before, 9},
    {u"PROXYSET", u"webprx", Text, nullptr, u"", Early, Bind(&F::webprx), Before, 6},
    // MOUSESET
    {u"MOUSESET", u"mdown", Int, u"33225", u"0", Late, Bind(&F::mdown)},
    {u"MOUSESET", u"rdrag", Int, u"0", u"0", Late, Bind(&F::rdrag), After, 4},
    {u"MOUSESET", u"rldown", Int, u"817", u"0", Late, Bind(&F::rldown)},
    {u"MOUSESET", u"lrdown", Int, u"818", u"0", Late, Bind(&F::lrdown)},
    {u"MOUSESET", u"gesture", Text, kDefaultGestureList, u"", Owner},
    // showgesture and showhelp land in the same switch: showhelp, read later, wins.
    {u"MOUSESET", u"showgesture", Int, nullptr, u"1", Late, Bind(&F::showGestureHint)},
    {u"MOUSESET", u"showhelp", Int, u"1", u"0", Late, Bind(&F::showGestureHint)},
    {u"MOUSESET", u"imgdragup", Int, nullptr, u"6", Late, Bind(&F::imgDrag, 0)},
    {u"MOUSESET", u"imgdown", Int, nullptr, u"1", Late, Bind(&F::imgDrag, 1)},
    {u"MOUSESET", u"imgdragleft", Int, nullptr, u"3", Late, Bind(&F::imgDrag, 2)},
    {u"MOUSESET", u"imgdragright", Int, nullptr, u"3", Late, Bind(&F::imgDrag, 3)},
    {u"MOUSESET", u"txtdragup", Int, nullptr, u"7", Late, Bind(&F::txtDrag, 0)},
    {u"MOUSESET", u"txtdown", Int, nullptr, u"9", Late, Bind(&F::txtDrag, 1)},
    {u"MOUSESET", u"txtdragleft", Int, nullptr, u"2", Late, Bind(&F::txtDrag, 2)},
    {u"MOUSESET", u"txtdragroght", Int, nullptr, u"3", Late, Bind(&F::txtDrag, 3)},
    {u"MOUSESET", u"linkdragup", Int, nullptr, u"9", Late, Bind(&F::linkDrag, 0)},
    {u"MOUSESET", u"linkdown", Int, nullptr, u"3", Late, Bind(&F::linkDrag, 1)},
    {u"MOUSESET", u"linkdrawleft", Int, nullptr, u"2", Late, Bind(&F::linkDrag, 2)},
    {u"MOUSESET", u"linkdrawright", Int, nullptr, u"3", Late, Bind(&F::linkDrag, 3)},
    // POPUPBLOCK
    {u"POPUPBLOCK", u"sound", Int, u"1", u"0", Early, Bind(&F::sound)},
    {u"POPUPBLOCK", u"killflying", Int, u"1", u"1", Early, Bind(&F::killFlying), Before, 3},
    {u"POPUPBLOCK", u"showinfoBar", Int, u"1", u"0", Early, Bind(&F::showInfoBar)},
    {u"POPUPBLOCK", u"enable", Int, nullptr, u"0", Early, Bind(&F::popupFilter), Before, 2},
    // SEARCHSET
    {u"SEARCHSET", u"engine", Int, u"0", u"0", Owner},
    {u"SEARCHSET", u"matchcase", Int, u"0", u"0", Late, Bind(&F::matchcase), After, 1},
    {u"SEARCHSET", u"matchwhole", Int, u"0", u"0", Late, Bind(&F::matchwhole), After, 2},
    {u"SEARCHSET", u"saveKeyword", Int, u"0", u"0", Late, Bind(&F::saveKeyword), After, 3},
    // CONTENTBLOCK
    {u"CONTENTBLOCK", u"enable", Int, nullptr, u"1", Early, Bind(&F::contentFilter), Before, 4},
    {u"CONTENTBLOCK", u"adstr", Text, nullptr, u"AD", Early, Bind(&F::adstr)},
    // CLEANSET
    {u"CLEANSET", u"cache", Int, nullptr, u"0", Late, Bind(&C::cache)},
    {u"CLEANSET", u"cookies", Int, nullptr, u"0", Late, Bind(&C::cookies)},
    {u"CLEANSET", u"from", Int, nullptr, u"0", Late, Bind(&C::form)},
    {u"CLEANSET", u"history", Int, nullptr, u"0", Late, Bind(&C::history)},
    {u"CLEANSET", u"address", Int, nullptr, u"0", Late, Bind(&C::address)},
    {u"CLEANSET", u"search", Int, nullptr, u"0", Late, Bind(&C::search)},
    {u"CLEANSET", u"undo", Int, nullptr, u"0", Late, Bind(&C::undo)},
    // HOTKEYSET (the "F_%d" texts are counted by HOTKEYSET/count)
    {u"HOTKEYSET", u"enable", Int, nullptr, u"0", Late, Bind(&F::hotkeyEnable)},
    {u"HOTKEYSET", u"count", Int, nullptr, u"0", Late},
    {u"HOTKEYSET", u"CE_L", Text, nullptr, u"http://www.", Late, Bind(&F::ceL)},
    {u"HOTKEYSET", u"CE_R", Text, nullptr, u".com", Late, Bind(&F::ceR)},
    {u"HOTKEYSET", u"SE_L", Text, nullptr, u"http://www.", Late, Bind(&F::seL)},
    {u"HOTKEYSET", u"SE_R", Text, nullptr, u".net", Late, Bind(&F::seR)},
    {u"HOTKEYSET", u"CSE_L", Text, nullptr, u"http://www.", Late, Bind(&F::cseL)},
    {u"HOTKEYSET", u"CSE_R", Text, nullptr, u".com.cn", Late, Bind(&F::cseR)},
    {u"HOTKEYSET", u"CAE_L", Text, nullptr, u"http://www.", Late, Bind(&F::caeL)},
    {u"HOTKEYSET", u"CAE_R", Text, nullptr, u".cn", Late, Bind(&F::caeR)},
    // COLLECTSET (the collector's switches, read by the collector)
    {u"COLLECTSET", u"stamp", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"toend", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"kind11", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"kind12", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"kind13", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"kind14", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"kind15", Int, nullptr, u"1", Owner},
    {u"COLLECTSET", u"clearexit", Int, nullptr, u"0", Owner},
    {u"COLLECTSET", u"alpha", Int, nullptr, u"200", Owner},
    // DEFBROWSER (each desktop default the default-browser registration replaced, under its
    // type; read and written by defbrowser/default_browser)
    {u"DEFBROWSER", u"x-scheme-handler/http", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"x-scheme-handler/https", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"x-scheme-handler/ftp", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"text/html", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"application/xhtml+xml", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"x-scheme-handler/about", Text, nullptr, u"", Owner},
    {u"DEFBROWSER", u"x-scheme-handler/unknown", Text, nullptr, u"", Owner},

};

// The rules of the table, checked when it is compiled.
constexpr char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }

constexpr bool SameNoCase(const char16_t* a, const char16_t* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

constexpr bool SameKey(const SettingDef& a, const SettingDef& b) {
  return SameNoCase(a.section, b.section) && SameNoCase(a.key, b.key);
}

constexpr bool IsLoaded(LoadPoint p) { return p == Early || p == Frame || p == Late; }

constexpr bool RowIsWellFormed(const SettingDef& d) {
  // The field's kind matches the row's type.
  if (d.field.bound() && d.field.IsText() != (d.type == Text)) return false;
  // A row read at a load point has a field; HOTKEYSET/count is read by the F_%d case.
  bool counts = SameNoCase(d.section, u"HOTKEYSET") && SameNoCase(d.key, u"count");
  if (IsLoaded(d.load) && d.field.bound() == counts) return false;
  // Owner rows are their owner's; a row that is never read has a field only to save it.
  if (d.load == Owner && d.field.bound()) return false;
  if (d.load == Never && d.field.bound() != (d.save != SavePoint::None)) return false;
  // Saved rows have a field and a place in their save's order.
  if (d.save != SavePoint::None && (!d.field.bound() || d.saveOrder <= 0)) return false;
  if (d.save == SavePoint::None && d.saveOrder != 0) return false;
  // Only GENERAL/ctlpro (the engine's flags) and unread rows have no absent value.
  bool engineFlags = SameNoCase(d.section, u"GENERAL") && SameNoCase(d.key, u"ctlpro");
  if (!d.absent && d.load != Never && !engineFlags) return false;
  return true;
}

constexpr bool TableIsWellFormed() {
  constexpr auto n = std::size(kSchema);
  for (size_t i = 0; i < n; ++i) {
    if (!RowIsWellFormed(kSchema[i])) return false;
    for (size_t j = i + 1; j < n; ++j) {
      const SettingDef& a = kSchema[i];
      const SettingDef& b = kSchema[j];
      if (SameKey(a, b)) return false;
      if (a.save != SavePoint::None && a.save == b.save && a.saveOrder == b.saveOrder)
        return false;
      // Only showgesture and showhelp share a field.
      if (a.field.bound() && a.field == b.field && a.field != Bind(&F::showGestureHint))
        return false;
    }
  }
  return true;
}

static_assert(TableIsWellFormed(), "a row of the config.ini table breaks its rules");

}  // namespace

std::span<const SettingDef> ConfigSchema() { return kSchema; }

const SettingDef* FindSetting(u16view section, u16view key) {
  for (const auto& d : kSchema)
    if (EqualsNoCase(d.section, section) && EqualsNoCase(d.key, key)) return &d;
  return nullptr;
}

const SettingDef& RequireSetting(u16view section, u16view key) {
  if (const SettingDef* d = FindSetting(section, key)) return *d;
  std::fprintf(stderr, "zel: config.ini key %s/%s has no row in ConfigSchema()\n",
               ToUtf8(section).c_str(), ToUtf8(key).c_str());
  std::abort();
}

int FieldBinding::GetInt(const FrameSettings& s) const {
  switch (kind) {
    case Kind::Int: return s.*intField;
    case Kind::Bool: return s.*boolField ? 1 : 0;
    case Kind::IntElement: return (s.*intArray)[index];
    case Kind::CleanFlag: return s.clean.*cleanFlag ? 1 : 0;
    case Kind::None:
    case Kind::Text: break;
  }
  return 0;
}

void FieldBinding::SetInt(FrameSettings& s, int value) const {
  switch (kind) {
    case Kind::Int: s.*intField = value; break;
    case Kind::Bool: s.*boolField = value != 0; break;
    case Kind::IntElement: (s.*intArray)[index] = value; break;
    case Kind::CleanFlag: s.clean.*cleanFlag = value != 0; break;
    case Kind::None:
    case Kind::Text: break;
  }
}

const u16& FieldBinding::GetText(const FrameSettings& s) const {
  static const u16 kNone;
  return kind == Kind::Text ? s.*textField : kNone;
}

void FieldBinding::SetText(FrameSettings& s, u16 value) const {
  if (kind == Kind::Text) s.*textField = std::move(value);
}

}  // namespace zel
