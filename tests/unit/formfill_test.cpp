// The form filler's rules: the encodings, the text-area escapes, what a page's fields save
// and fill, the auto-submit rule, the section a page is filled from, the form-data file
// (any bytes load, saves are UTF-16LE and 0600) and the manager's listing and actions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "base/files.h"
#include "fakes/temp_dir.h"
#include "formfill/form_codec.h"
#include "formfill/form_data_file.h"
#include "formfill/form_manager.h"
#include "formfill/form_rules.h"

using namespace zel;
using namespace zel::test;

namespace {

PageField Field(FieldKind kind, u16 name, u16 value = u"", int state = 0, bool form = true) {
  return PageField{kind, std::move(name), std::move(value), state, form};
}

// The values a save leaves in the file: later writes of a name overwrite earlier ones.
IniDocument Saved(const std::vector<PageField>& fields, bool encrypt, int* count = nullptr) {
  SavedValues v = ValuesToSave(fields, encrypt);
  if (count) *count = v.count;
  IniDocument doc;
  for (auto& [name, value] : v.entries) doc.Set(u"p", name, value);
  return doc;
}

std::string Utf16File(const std::u16string& text) { return "\xFF\xFE" + EncodeUtf16Le(text); }

}  // namespace

TEST(FormCodec, EncodesAsTheLetterFormsAndBack) {
  struct Case {
    u16 text;
    bool wide;
  } cases[] = {
      {u"abc", false},          {u"P@ss w0rd!~", false}, {u"", false},
      {u"张三", true},          {u"abc中文def", true},   {u"\xFFFF\x0001", true},
  };
  for (const auto& c : cases) {
    for (u16view key : {u16view(kValueKey), u16view(kPasswordKey)}) {
      u16 e = EncodeText(c.text, key);
      EXPECT_EQ(DecodeText(e, key), c.text) << ToUtf8(c.text);
      if (c.text.empty()) {
        EXPECT_TRUE(e.empty());
        continue;
      }
      EXPECT_EQ(!e.empty() && e[0] == kWideMark, c.wide) << ToUtf8(c.text);
      EXPECT_EQ(e.size(), c.text.size() * (c.wide ? 4 : 2) + (c.wide ? 1 : 0));
      for (size_t i = c.wide ? 1 : 0; i < e.size(); ++i) EXPECT_TRUE(e[i] >= u'A' && e[i] <= u'P');
    }
  }
  // 'a'^'K' = 0x2A, 'b'^'x' = 0x1A, 'c'^'2' = 0x51.
  EXPECT_EQ(EncodeValue(u"abc"), u"CKBKFB");
  EXPECT_NE(EncodePassword(u"abc"), EncodeValue(u"abc"));
  // Letters outside A..Q count as 0; an incomplete last pair is dropped.
  EXPECT_EQ(DecodeValue(u"CKBKF"), u"ab");
  EXPECT_EQ(DecodeValue(u"zz"), u16(1, u'K'));
}

TEST(FormCodec, TextAreaLinesGoOnOneLineAndBack) {
  struct Case {
    u16 text, escaped;
  } cases[] = {
      {u"first\nsecond", u"first\\nsecond"},
      {u"a\r\nb", u"a\\r\\nb"},
      {u"C:\\new\\table", u"C:\\\\new\\\\table"},
      {u"plain", u"plain"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeLines(c.text), c.escaped);
    EXPECT_EQ(UnescapeLines(c.escaped), c.text);
  }
  // What another writer left: a lone backslash stays.
  EXPECT_EQ(UnescapeLines(u"50\\% off\\"), u"50\\% off\\");
}

TEST(FormSave, ValuesByKind) {
  int count = 0;
  IniDocument doc = Saved({Field(FieldKind::Text, u"user", u"bob"),
                           Field(FieldKind::Text, u"empty", u""),
                           Field(FieldKind::Text, u"", u"no name"),
                           Field(FieldKind::TextArea, u"note", u"one\ntwo"),
                           Field(FieldKind::Select, u"city", u"", 2),
                           Field(FieldKind::CheckBox, u"news", u"", 1),
                           Field(FieldKind::Text, u"FormFillPwd", u"x"),
                           Field(FieldKind::Text, u"a=b", u"x"),
                           Field(FieldKind::Text, u"[x]", u"x")},
                          false, &count);
  EXPECT_EQ(doc.Get(u"p", u"user"), u"bob");
  EXPECT_EQ(doc.Get(u"p", u"note"), u"one\\ntwo");
  EXPECT_EQ(doc.Get(u"p", u"city"), u"2");
  EXPECT_EQ(doc.Get(u"p", u"news"), u"1");
  EXPECT_EQ(doc.Keys(u"p").size(), 4u);  // nothing empty, reserved or unwritable
  EXPECT_EQ(count, 4);

  IniDocument enc = Saved({Field(FieldKind::Text, u"user", u"abc"),
                           Field(FieldKind::TextArea, u"note", u"a\nb")},
                          true);
  EXPECT_EQ(enc.Get(u"p", u"user"), u"CKBKFB");
  EXPECT_EQ(DecodeValue(*enc.Get(u"p", u"note")), u"a\\nb");
}

TEST(FormSave, RadioGroupsAndRepeatedNames) {
  struct Case {
    std::vector<int> checked;  // radio buttons g in a row
    u16 stored;
  } cases[] = {{{0, 0, 1}, u"2"}, {{0, 0, 0}, u"-1"}, {{1, 0, 0}, u"0"}, {{0, 1, 0}, u"1"}};
  for (const auto& c : cases) {
    std::vector<PageField> fields;
    for (int on : c.checked) fields.push_back(Field(FieldKind::Radio, u"g", u"", on));
    int count = 0;
    EXPECT_EQ(Saved(fields, false, &count).Get(u"p", u"g"), c.stored);
    EXPECT_EQ(count, 1);  // the group's first write only
  }
  // Two check boxes of one name: the later one wins.
  IniDocument twice = Saved({Field(FieldKind::CheckBox, u"c", u"", 1),
                             Field(FieldKind::CheckBox, u"c", u"", 0)},
                            false);
  EXPECT_EQ(twice.Get(u"p", u"c"), u"0");
}

TEST(FormFill, PlanFromStoredValues) {
  std::map<u16, u16> file = {{u"user", u"CKBKFB"}, {u"note", EncodeValue(u"a\\nb")},
                             {u"g", u"2"},         {u"city", u"3"},
                             {u"news", u"0"},      {u"formfillpwd", u"x"}};
  auto stored = [&](u16view n) -> std::optional<u16> {
    auto it = file.find(ToLower(n));
    if (it == file.end()) return std::nullopt;
    return it->second;
  };
  std::vector<PageField> fields = {
      Field(FieldKind::Text, u"other", u"", 0, false),  // nothing stored: not processed
      Field(FieldKind::Text, u"User", u"", 0, false),   // names compare ignoring case
      Field(FieldKind::TextArea, u"note"),
      Field(FieldKind::Radio, u"g"), Field(FieldKind::Radio, u"g"), Field(FieldKind::Radio, u"g"),
      Field(FieldKind::Select, u"city"),
      Field(FieldKind::CheckBox, u"news"),
      Field(FieldKind::Text, u"FormFillPwd")};
  FillPlan plan = PlanFill(fields, stored, true);
  std::vector<std::pair<size_t, u16>> got;
  for (const FillAction& a : plan.actions) got.emplace_back(a.index, a.value);
  std::vector<std::pair<size_t, u16>> want = {
      {1, u"abc"}, {2, u"a\nb"}, {5, u"1"}, {6, u"3"}, {7, u"0"}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(plan.count, 3);   // check boxes and radio buttons are not counted
  EXPECT_EQ(plan.formOf, 2);  // the first processed field in a form
  // Filled with encryption off, values come out as stored.
  EXPECT_EQ(PlanFill({Field(FieldKind::Text, u"user")}, stored, false).actions[0].value, u"CKBKFB");
}

TEST(FormFill, AutoSubmitRule) {
  struct Case {
    u16 flag;
    bool ctrl, shift, submit;
  } cases[] = {
      {u"1", false, false, true},  {u"0", false, false, false}, {u"", false, false, false},
      {u"10", false, false, true}, {u"0", true, false, true},   {u"1", false, true, false},
      {u"0", true, true, false},   {u"01", false, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AutoSubmitOn(c.flag, c.ctrl, c.shift), c.submit)
        << ToUtf8(c.flag) << c.ctrl << c.shift;
}

TEST(FormFill, ReportAndPlanTexts) {
  std::vector<PageField> f = ParseFieldReport(
      u"1:t4:user3:bob1:01:1" u"1:a4:note4:a\nb:1:01:0" u"1:r1:g0:1:11:1" u"1:x1:y0:1:01:0"
      u"1:s4:city0:1:31:1" u"1:t2:");
  ASSERT_EQ(f.size(), 4u);  // the unknown kind is skipped, the broken record ends the list
  EXPECT_EQ(f[0].name, u"user");
  EXPECT_EQ(f[0].value, u"bob");
  EXPECT_TRUE(f[0].hasForm);
  EXPECT_EQ(f[1].value, u"a\nb:");
  EXPECT_EQ(f[2].kind, FieldKind::Radio);
  EXPECT_EQ(f[2].state, 1);
  EXPECT_EQ(f[3].state, 3);
  FillPlan plan;
  plan.actions = {{0, FieldKind::Text, u"中文"}, {12, FieldKind::Select, u"2"}};
  plan.formOf = 0;
  EXPECT_EQ(SerializePlan(plan, true), u"1:01:01:t2:中文2:121:s1:2");
  EXPECT_EQ(SerializePlan(plan, false).substr(0, 4), u"2:-1");
}

TEST(FormDataFile, SectionForAPage) {
  struct Case {
    const char16_t* file;
    const char16_t* url;
    std::optional<u16> section;
  } cases[] = {
      {u"[http://a.test/login]\r\nu=1\r\n[General]\r\nu=2\r\n", u"http://a.test/login",
       u"http://a.test/login"},
      {u"[General]\r\nu=2\r\n[http://a.test/login]\r\nu=1\r\n", u"http://a.test/other/page",
       u"http://a.test/login"},
      {u"[http://A.TEST/x]\r\nu=1\r\n", u"http://a.test/y", u"http://A.TEST/x"},
      {u"[http://a.test/]\r\n[http://a.test/x]\r\nu=1\r\n", u"http://a.test/", u"http://a.test/x"},
      {u"[http://b.test/x]\r\nu=1\r\n[General]\r\nu=2\r\n", u"http://a.test/y", u"General"},
      {u"[http://b.test/x]\r\nu=1\r\n[General]\r\n", u"http://a.test/y", std::nullopt},
      {u"[General]\r\nu=2\r\n", u"", std::nullopt},
  };
  for (const auto& c : cases) {
    FormDataFile f("/nonexistent/formdata.ini");
    f.SetBytes(Utf16File(c.file));
    EXPECT_EQ(f.SectionFor(c.url), c.section) << ToUtf8(c.url);
  }
}

TEST(FormDataFile, StoredValuesAreCutAt2047) {
  FormDataFile f("/nonexistent/formdata.ini");
  f.SetBytes(Utf16File(u"[p]\r\nlong=" + u16(3000, u'x') + u"\r\nshort=abc\r\n"));
  EXPECT_EQ(f.StoredValue(u"p", u"long")->size(), 2047u);
  EXPECT_EQ(f.StoredValue(u"p", u"short"), u"abc");
}

TEST(FormDataFile, AnyBytesLoadAndSaveAsPrivateUtf16) {
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<u16> user;  // [p] user after loading
  } cases[] = {
      {"utf-8", "[p]\r\nuser=张三\r\n", u"张三"},
      {"utf-8 with a mark", "\xEF\xBB\xBF[p]\nuser=bob\n", u"bob"},
      {"utf-16 without a mark", EncodeUtf16Le(u"[p]\r\nuser=bob\r\n"), u"bob"},
      {"utf-8 cut in a character", "[p]\r\nuser=张三\r\nnote=\xE5\xBC", u"张三"},
      {"utf-16 cut in a unit", Utf16File(u"[p]\r\nuser=ab") + "\x63", u"ab"},
      {"a 10 MB line", "[p]\r\nuser=" + std::string(10 << 20, 'x'), u16(10 << 20, u'x')},
      {"binary", std::string("\0\xFF\x01[p\x00]\r\n", 9), std::nullopt},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::string path = dir / "Defaults/formdata.ini";
    CreateFolderLevels(dir / "Defaults");
    WriteFileAtomic(path, c.bytes);
    FormDataFile f(path);
    ASSERT_TRUE(f.Load()) << c.what;
    EXPECT_EQ(f.doc().Get(u"p", u"user"), c.user) << c.what;
    f.doc().Set(u"General", u"k", u"v");
    ASSERT_TRUE(f.Save()) << c.what;
    std::string back = *ReadFileBytes(path);
    EXPECT_EQ(back.substr(0, 2), "\xFF\xFE") << c.what;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << c.what;
    FormDataFile again(path);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.doc().Get(u"p", u"user"), c.user) << c.what;
  }
}

TEST(FormDataFile, NewFileIsUtf16FromItsFirstWrite) {
  TempDir dir;
  FormDataFile f(dir / "a/b/formdata.ini");
  ASSERT_TRUE(f.Load());
  f.doc().Set(u"http://x/", u"name", u"值");
  ASSERT_TRUE(f.Save());
  EXPECT_EQ(*ReadFileBytes(f.path()), Utf16File(u"[http://x/]\r\nname=值\r\n"));
}

TEST(FormManagerListing, LineRules) {
  u16 text =
      u"[http://a/]\r\nuser=bob\r\nFormFillPwd=XX\r\nformautosubmit=1\r\nno equals\r\n"
      u"[General]\r\nk = v \r\nlast=unended";
  std::vector<ListedSection> s = ListSections(text);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].name, u"http://a/");
  EXPECT_EQ(s[1].name, u"General");
  std::vector<ListedItem> a = ListItems(text, s[0]);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].name, u"user");
  std::vector<ListedItem> g = ListItems(text, s[1]);
  ASSERT_EQ(g.size(), 1u);  // the last line without CR LF is not listed
  EXPECT_EQ(g[0].name, u"k ");
  EXPECT_EQ(g[0].value, u" v ");
  // A section name that also appears earlier in the text lists its own lines.
  u16 t2 = u"[http://x/General]\r\na=1\r\n[General]\r\nb=2\r\n";
  auto s2 = ListSections(t2);
  ASSERT_EQ(s2.size(), 2u);
  EXPECT_EQ(ListItems(t2, s2[1])[0].name, u"b");
  EXPECT_TRUE(ListSections(u"junk\r\n[unclosed").empty());
}

TEST(FormManagerActions, EditDeleteSortAndFlags) {
  TempDir dir;
  std::string path = dir / "formdata.ini";
  WriteFileAtomic(path, Utf16File(u"[http://b/]\r\nuser=bob\r\nMail=b@x\r\n[http://a/]\r\nx=1\r\n"
                                  u"[General]\r\nz=9\r\n"));
  int deleteAll = 0;
  u16 master;
  FormManager m(path, false, {[&] { ++deleteAll; }, [&](const u16& e) { master = e; }});
  EXPECT_EQ(m.SectionNames(), (std::vector<u16>{u"http://b/", u"http://a/", u"General"}));
  m.SortSections(0);
  EXPECT_EQ(m.SectionNames(), (std::vector<u16>{u"General", u"http://a/", u"http://b/"}));
  m.SortSections(0);  // a second click reverses
  EXPECT_EQ(m.SectionNames(), (std::vector<u16>{u"http://b/", u"http://a/", u"General"}));

  m.Select(0);
  ASSERT_EQ(m.items().size(), 2u);
  m.SortItems(0);  // ignoring case: Mail before user
  EXPECT_EQ(m.items()[0].name, u"Mail");
  ASSERT_TRUE(m.EditItem(1, u"typed as is"));
  EXPECT_EQ(m.items()[1].value, u"typed as is");
  ASSERT_TRUE(m.SetAutoSubmit(true));
  ASSERT_TRUE(m.SetFillPassword(u"pw"));
  m.SetMasterPassword(u"root");
  EXPECT_EQ(master, EncodePassword(u"root"));

  FormDataFile f(path);
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.doc().Get(u"http://b/", u"user"), u"typed as is");
  EXPECT_EQ(f.doc().Get(u"http://b/", u"FormAutoSubmit"), u"1");
  EXPECT_EQ(f.doc().Get(u"http://b/", u"FormFillPwd"), EncodePassword(u"pw"));
  m.Select(1);
  EXPECT_FALSE(m.autoSubmit());
  m.Select(0);
  EXPECT_TRUE(m.autoSubmit());
  EXPECT_EQ(m.items().size(), 2u);  // the reserved keys are not listed

  // Deleting moves the selection to the row now at the same place, or to the last.
  m.Select(1);
  ASSERT_TRUE(m.DeleteSection());
  EXPECT_EQ(m.SectionNames(), (std::vector<u16>{u"http://b/", u"General"}));
  EXPECT_EQ(m.selected(), 1);
  ASSERT_TRUE(m.DeleteSection());
  EXPECT_EQ(m.selected(), 0);
  ASSERT_TRUE(f.Load());
  EXPECT_FALSE(f.doc().HasSection(u"General"));
  EXPECT_FALSE(f.doc().HasSection(u"http://a/"));
  m.DeleteAll();
  EXPECT_EQ(deleteAll, 1);
  EXPECT_TRUE(m.SectionNames().empty());
  EXPECT_EQ(m.selected(), -1);
}
