#include "formfill/form_rules.h"

#include "formfill/form_codec.h"

namespace zel {

namespace {
// One "<length>:<text>" field from at; false at the end or on a malformed field.
bool NextField(u16view s, size_t& at, u16& out) {
  size_t colon = s.find(u':', at);
  if (colon == u16view::npos || colon == at || colon - at > 9) return false;
  size_t len = 0;
  for (size_t i = at; i < colon; ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    len = len * 10 + size_t(s[i] - u'0');
  }
  if (len > s.size() - colon - 1) return false;
  out = u16(s.substr(colon + 1, len));
  at = colon + 1 + len;
  return true;
}

void AddField(u16& out, u16view text) {
  out += Format(u"%d:", int(text.size()));
  out += text;
}

char16_t KindLetter(FieldKind k) {
  switch (k) {
    case FieldKind::Text: return u't';
    case FieldKind::TextArea: return u'a';
    case FieldKind::CheckBox: return u'c';
    case FieldKind::Radio: return u'r';
    case FieldKind::Select: return u's';
  }
  return u't';
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
}  // namespace

std::vector<PageField> ParseFieldReport(u16view report) {
  std::vector<PageField> out;
  size_t at = 0;
  u16 f[5];
  while (at < report.size()) {
    for (auto& x : f)
      if (!NextField(report, at, x)) return out;
    PageField p;
    if (f[0] == u"t") p.kind = FieldKind::Text;
    else if (f[0] == u"a") p.kind = FieldKind::TextArea;
    else if (f[0] == u"c") p.kind = FieldKind::CheckBox;
    else if (f[0] == u"r") p.kind = FieldKind::Radio;
    else if (f[0] == u"s") p.kind = FieldKind::Select;
    else continue;
    p.name = std::move(f[1]);
    p.value = std::move(f[2]);
    p.state = ToInt(f[3]);
    p.hasForm = f[4] == u"1";
    out.push_back(std::move(p));
  }
  return out;
}

bool IsReservedKey(u16view name) {
  return EqualsNoCase(name, kFillPasswordKey) || EqualsNoCase(name, kAutoSubmitKey);
}

bool IsStorableName(u16view name) {
  if (name.empty() || name[0] == u'[' || name[0] == u';') return false;
  if (IsBlank(name.front()) || IsBlank(name.back())) return false;
  return name.find_first_of(u"=\r\n") == u16view::npos;
}

SavedValues ValuesToSave(const std::vector<PageField>& fields, bool encrypt) {
  SavedValues out;
  u16 group;
  int position = 0;
  // A page field named like a reserved key would set the page's password or submit flag.
  auto writable = [](const u16& name) { return IsStorableName(name) && !IsReservedKey(name); };
  for (const PageField& f : fields) {
    u16 value;
    switch (f.kind) {
      case FieldKind::Text:
        value = encrypt ? EncodeValue(f.value) : f.value;
        break;
      case FieldKind::TextArea:
        value = EscapeLines(f.value);
        if (encrypt) value = EncodeValue(value);
        break;
      case FieldKind::CheckBox:
        value = f.state ? u"1" : u"0";
        break;
      case FieldKind::Select:
        value = Format(u"%d", f.state);
        break;
      case FieldKind::Radio:
        if (f.name != group) {
          group = f.name;
          position = 0;
          if (writable(f.name)) {
            out.entries.emplace_back(f.name, f.state ? u"0" : u"-1");
            ++out.count;
          }
        } else {
          ++position;
          if (f.state && writable(f.name)) out.entries.emplace_back(f.name, Format(u"%d", position));
        }
        continue;
    }
    if (value.empty() || !writable(f.name)) continue;
    out.entries.emplace_back(f.name, std::move(value));
    ++out.count;
  }
  return out;
}

FillPlan PlanFill(const std::vector<PageField>& fields,
                  const std::function<std::optional<u16>(u16view name)>& stored, bool encrypt) {
  FillPlan plan;
  u16 group;
  int position = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const PageField& f = fields[i];
    if (f.name.empty() || IsReservedKey(f.name)) continue;
    std::optional<u16> v = stored(f.name);
    if (!v || v->empty()) continue;
    switch (f.kind) {
      case FieldKind::Text:
        plan.actions.push_back({i, f.kind, encrypt ? DecodeValue(*v) : *v});
        ++plan.count;
        break;
      case FieldKind::TextArea:
        plan.actions.push_back({i, f.kind, UnescapeLines(encrypt ? DecodeValue(*v) : *v)});
        ++plan.count;
        break;
      case FieldKind::Select:
        plan.actions.push_back({i, f.kind, Format(u"%d", ToInt(*v))});
        ++plan.count;
        break;
      case FieldKind::CheckBox:
        plan.actions.push_back({i, f.kind, ToInt(*v) ? u"1" : u"0"});
        break;
      case FieldKind::Radio: {
        if (f.name != group) {
          group = f.name;
          position = 0;
        } else {
          ++position;
        }
        int n = ToInt(*v);
        if (n >= 0 && n == position) plan.actions.push_back({i, f.kind, u"1"});
        break;
      }
    }
    if (plan.formOf < 0 && f.hasForm) plan.formOf = int(i);
  }
  return plan;
}

u16 SerializePlan(const FillPlan& plan, bool submit) {
  u16 out;
  AddField(out, Format(u"%d", submit ? plan.formOf : -1));
  for (const FillAction& a : plan.actions) {
    AddField(out, Format(u"%d", int(a.index)));
    AddField(out, u16(1, KindLetter(a.kind)));
    AddField(out, a.value);
  }
  return out;
}

bool AutoSubmitOn(u16view flag, bool ctrl, bool shift) {
  bool on = !flag.empty() && flag[0] == u'1';
  if (shift) return false;
  if (ctrl) return true;
  return on;
}

}  // namespace zel
