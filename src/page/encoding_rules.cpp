#include "page/encoding_rules.h"

namespace zel {

namespace {
struct EncodingRow {
  int id;
  const char16_t* charset;
};
constexpr EncodingRow kEncodings[] = {
    {1011, u"_autodetect_all"}, {866, u"iso-8859-1"},    {1070, u"utf-8"},
    {867, u"gb2312"},           {1081, u"HZ-GB-2312"},    {868, u"big5"},
    {992, u"_autodetect"},      {991, u"euc-jp"},         {869, u"iso-2022-jp"},
    {1044, u"_autodetect_kr"},  {1045, u"euc-kr"},        {1046, u"iso-2022-kr"},
    {1055, u"ibm852"},          {1056, u"ibm866"},        {1057, u"iso-8859-1"},
    {1058, u"iso-8859-1"},      {1059, u"iso-8859-2"},    {1060, u"iso-8859-3"},
    {1061, u"iso-8859-4"},      {1062, u"iso-8859-5"},    {1063, u"iso-8859-6"},
    {1064, u"iso-8859-7"},      {1065, u"iso-8859-8"},    {1066, u"koi8-r"},
    {1067, u"unicode"},         {1068, u"unicodeFEFF"},   {1069, u"utf-7"},
    {1071, u"windows-1250"},    {1072, u"windows-1251"},  {1073, u"windows-1253"},
    {1074, u"windows-1254"},    {1075, u"windows-1255"},  {1076, u"windows-1256"},
    {1077, u"windows-1257"},    {1078, u"windows-1258"},  {1079, u"windows-874"},
    {1080, u"x-user-defined"},
};
}  // namespace

const char16_t* CharsetOfEncodingCommand(int id) {
  for (const EncodingRow& r : kEncodings)
    if (r.id == id) return r.charset;
  return nullptr;
}

std::string EngineCharsetFor(u16view charset) {
  if (StartsWithNoCase(charset, u"_autodetect") || EqualsNoCase(charset, u"utf-7")) return "";
  if (EqualsNoCase(charset, u"unicode")) return "utf-16le";
  if (EqualsNoCase(charset, u"unicodeFEFF")) return "utf-16be";
  return ToUtf8(charset);
}

int SteppedTextSize(int index, bool larger) {
  if (larger) return index > 0 ? index - 1 : index;
  return index < 4 ? index + 1 : index;
}

}  // namespace zel
