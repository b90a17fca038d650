#include "settings/config_schema.h"

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

constexpr SettingDef kSchema[] = {
    // GENERAL, first-run keys in their order
    {u"GENERAL", u"firstrun", Int, u"1", u"0", Frame},
    {u"GENERAL", u"zoomed", Int, u"1", u"1", Early},
    {u"GENERAL", u"homepage", Text, u"about:blank", u"about:blank", Early},
    {u"GENERAL", u"startmode", Int, u"1", u"0", Early},
    {u"GENERAL", u"skin", Text, u"default", u"default", Frame},
    {u"GENERAL", u"top", Int, u"50", u"50", Early},
    {u"GENERAL", u"left", Int, u"50", u"50", Early},
    {u"GENERAL", u"width", Int, u"800", u"800", Early},
    {u"GENERAL", u"height", Int, u"600", u"600", Early},
    {u"GENERAL", u"ctlpro", Int, u"112", nullptr, Early},
    {u"GENERAL", u"normalquit", Int, nullptr, u"1", Early},
    {u"GENERAL", u"checkdefault", Int, nullptr, u"1", Early},
    {u"GENERAL", u"bosskey", Int, nullptr, u"0", Late},
    {u"GENERAL", u"minitray", Int, nullptr, u"0", Late},
    {u"GENERAL", u"closetray", Int, nullptr, u"0", Late},
    {u"GENERAL", u"showtray", Int, nullptr, u"0", Late},
    {u"GENERAL", u"encryform", Int, nullptr, u"0", Late},
    {u"GENERAL", u"downloadfolder", Text, nullptr, u"", Late},
    {u"GENERAL", u"quitconfirm", Int, nullptr, u"0", Late},
    {u"GENERAL", u"quitallconfirm", Int, nullptr, u"0", Late},
    {u"GENERAL", u"watchclipboard", Int, nullptr, u"1", Late},
    // TABSET
    {u"TABSET", u"small", Int, u"0", u"0", Frame},
    {u"TABSET", u"locked", Int, u"1", nullptr, Never},
    {u"TABSET", u"limit", Int, u"100", u"100", Early},
    {u"TABSET", u"maxwidth", Int, u"100", u"100", Early},
    {u"TABSET", u"minwidth", Int, u"50", u"50", Early},
    {u"TABSET", u"newactivewnd", Int, u"1", u"1", Early},
    {u"TABSET", u"newtablink", Int, u"0", u"0", Late},
    {u"TABSET", u"newsequence", Int, u"1", u"1", Early},
    {u"TABSET", u"newactiveopen", Int, nullptr, u"1", Late},
    {u"TABSET", u"closeactiveseq", Int, nullptr, u"0", Late},
    {u"TABSET", u"newtabaddress", Int, nullptr, u"0", Late},
    {u"TABSET", u"newtabhome", Int, nullptr, u"1", Late},
    {u"TABSET", u"newtabfav", Int, nullptr, u"1", Late},
    {u"TABSET", u"newtabhis", Int, nullptr, u"1", Late},
    {u"TABSET", u"newtablocal", Int, nullptr, u"1", Late},
    {u"TABSET", u"newmode", Int, nullptr, u"0", Late},
    {u"TABSET", u"ldbtab", Int, nullptr, u"0", Late},
    {u"TABSET", u"mktab", Int, nullptr, u"0", Late},
    {u"TABSET", u"rdbtab", Int, nullptr, u"0", Late},
    {u"TABSET", u"ldbbar", Int, nullptr, u"0", Late},
    {u"TABSET", u"rdbbar", Int, nullptr, u"0", Late},
    {u"TABSET", u"style", Int, nullptr, nullptr, Never},
    {u"TABSET", u"TabBar_Position", Int, nullptr, u"0", Frame},
    // PROXYSET
    {u"PROXYSET", u"enable", Int, u"0", u"0", Early},
    {u"PROXYSET", u"curpro", Text, nullptr, u"", Early},
    {u"PROXYSET", u"proname", Text, nullptr, u"", Early},
    {u"PROXYSET", u"exception", Text, nullptr, u"<local>", Early},
    {u"PROXYSET", u"webprx", Text, nullptr, u"", Early},
    // MOUSESET
    {u"MOUSESET", u"mdown", Int, u"33225", u"0", Late},
    {u"MOUSESET", u"rdrag", Int, u"0", u"0", Late},
    {u"MOUSESET", u"rldown", Int, u"817", u"0", Late},
    {u"MOUSESET", u"lrdown", Int, u"818", u"0", Late},
    {u"MOUSESET", u"gesture", Text, kDefaultGestureList, u"", Owner},
    {u"MOUSESET", u"showhelp", Int, u"1", u"0", Late},
    {u"MOUSESET", u"showgesture", Int, nullptr, u"1", Late},
    {u"MOUSESET", u"imgdragup", Int, nullptr, u"6", Late},
    {u"MOUSESET", u"imgdown", Int, nullptr, u"1", Late},
    {u"MOUSESET", u"imgdragleft", Int, nullptr, u"3", Late},
    {u"MOUSESET", u"imgdragright", Int, nullptr, u"3", Late},
    {u"MOUSESET", u"txtdragup", Int, nullptr, u"7", Late},
    {u"MOUSESET", u"txtdown", Int, nullptr, u"9", Late},
    {u"MOUSESET", u"txtdragleft", Int, nullptr, u"2", Late},
    {u"MOUSESET", u"txtdragroght", Int, nullptr, u"3", Late},
    {u"MOUSESET", u"linkdragup", Int, nullptr, u"9", Late},
    {u"MOUSESET", u"linkdown", Int, nullptr, u"3", Late},
    {u"MOUSESET", u"linkdrawleft", Int, nullptr, u"2", Late},
    {u"MOUSESET", u"linkdrawright", Int, nullptr, u"3", Late},
    // POPUPBLOCK
    {u"POPUPBLOCK", u"sound", Int, u"1", u"0", Early},
    {u"POPUPBLOCK", u"killflying", Int, u"1", u"1", Early},
    {u"POPUPBLOCK", u"showinfoBar", Int, u"1", u"0", Early},
    {u"POPUPBLOCK", u"enable", Int, nullptr, u"0", Early},
    // SEARCHSET
    {u"SEARCHSET", u"engine", Int, u"0", u"0", Owner},
    {u"SEARCHSET", u"matchcase", Int, u"0", u"0", Late},
    {u"SEARCHSET", u"matchwhole", Int, u"0", u"0", Late},
    {u"SEARCHSET", u"saveKeyword", Int, u"0", u"0", Late},
    // CONTENTBLOCK
    {u"CONTENTBLOCK", u"enable", Int, nullptr, u"1", Early},
    {u"CONTENTBLOCK", u"adstr", Text, nullptr, u"AD", Early},
    // CLEANSET
    {u"CLEANSET", u"cache", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"cookies", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"from", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"history", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"address", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"search", Int, nullptr, u"0", Late},
    {u"CLEANSET", u"undo", Int, nullptr, u"0", Late},
    // HOTKEYSET (the "F_%d" texts are counted by HOTKEYSET/count)
    {u"HOTKEYSET", u"enable", Int, nullptr, u"0", Late},
    {u"HOTKEYSET", u"count", Int, nullptr, u"0", Late},
    {u"HOTKEYSET", u"CE_L", Text, nullptr, u"http://www.", Late},
    {u"HOTKEYSET", u"CE_R", Text, nullptr, u".com", Late},
    {u"HOTKEYSET", u"SE_L", Text, nullptr, u"http://www.", Late},
    {u"HOTKEYSET", u"SE_R", Text, nullptr, u".net", Late},
    {u"HOTKEYSET", u"CSE_L", Text, nullptr, u"http://www.", Late},
    {u"HOTKEYSET", u"CSE_R", Text, nullptr, u".com.cn", Late},
    {u"HOTKEYSET", u"CAE_L", Text, nullptr, u"http://www.", Late},
    {u"HOTKEYSET", u"CAE_R", Text, nullptr, u".cn", Late},
};

}  // namespace

std::span<const SettingDef> ConfigSchema() { return kSchema; }

const SettingDef* FindSetting(u16view section, u16view key) {
  for (const auto& d : kSchema)
    if (EqualsNoCase(d.section, section) && EqualsNoCase(d.key, key)) return &d;
  return nullptr;
}

}  // namespace zel
