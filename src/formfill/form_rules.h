// What a page's form fields become in the form-data file and back: the page script only
// reports the fields and applies a plan; every rule is here.
#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"

namespace zel {

inline constexpr char16_t kFillPasswordKey[] = u"FormFillPwd";
inline constexpr char16_t kAutoSubmitKey[] = u"FormAutoSubmit";
inline constexpr char16_t kGeneralSection[] = u"General";
// Values are read into a buffer of 2048 characters.
inline constexpr size_t kMaxStoredValue = 2047;

enum class FieldKind { Text, TextArea, CheckBox, Radio, Select };

// One element as the page reports it, in document order.
struct PageField {
  FieldKind kind = FieldKind::Text;
  u16 name;
  u16 value;          // text-like inputs and text areas
  int state = 0;      // check boxes and radio buttons: 1 when checked; selects: the index
  bool hasForm = false;
};

// The page script's answer: per element five fields, each "<length>:<text>" (kind letter
// t, a, c, r or s; name; value; state; "1" when the element is in a form). A record that
// does not parse ends the list; an unknown kind is skipped.
std::vector<PageField> ParseFieldReport(u16view report);

// The reserved keys of a section, and names that cannot be written as a key and read back
// as the same name (empty, holding "=" or a line break, starting with "[" or ";", or with
// white space around them).
bool IsReservedKey(u16view name);
bool IsStorableName(u16view name);

// Saving: name = value pairs in the order they are written (a later pair of the same name
// overwrites an earlier one) and the count the save message shows.
struct SavedValues {
  std::vector<std::pair<u16, u16>> entries;
  int count = 0;
};
SavedValues ValuesToSave(const std::vector<PageField>& fields, bool encrypt);

// Filling: what to do to which element (by its place in the report), the count the fill
// message shows, and the element whose form is submitted (-1: none).
struct FillAction {
  size_t index = 0;
  FieldKind kind = FieldKind::Text;
  u16 value;  // the text; "1"/"0" for a check box; "1" for a radio button; the index
};
struct FillPlan {
  std::vector<FillAction> actions;
  int count = 0;
  int formOf = -1;
};
// stored: the value saved under a name (already cut to kMaxStoredValue), or nothing.
FillPlan PlanFill(const std::vector<PageField>& fields,
                  const std::function<std::optional<u16>(u16view name)>& stored, bool encrypt);
// The plan for the page script: "<length>:<text>" fields: the element to submit the form
// of (-1 for none), then index, kind letter and value per action.
u16 SerializePlan(const FillPlan& plan, bool submit);

// The auto-submit rule: the section's flag begins with "1"; Shift held turns it off, else
// Ctrl held turns it on.
bool AutoSubmitOn(u16view flag, bool ctrl, bool shift);

}  // namespace zel
