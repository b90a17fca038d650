#include "filters/filter_message.h"

#include "filters/filter_lists.h"

namespace zel {

namespace {

void AddStrings(GVariantBuilder* builder, const std::vector<u16>& list) {
  g_variant_builder_open(builder, G_VARIANT_TYPE_STRING_ARRAY);
  for (const u16& entry : list) {
    std::string utf8 = ToUtf8(entry);
    g_variant_builder_add(builder, "s", utf8.c_str());
  }
  g_variant_builder_close(builder);
}

std::vector<u16> ReadStrings(GVariant* array) {
  std::vector<u16> list;
  gsize n = g_variant_n_children(array);
  list.reserve(n);
  for (gsize i = 0; i < n; ++i) {
    GVariant* item = g_variant_get_child_value(array, i);
    gsize len = 0;
    const char* s = g_variant_get_string(item, &len);
    list.push_back(FromUtf8(std::string_view(s, len)));
    g_variant_unref(item);
  }
  return list;
}

}  // namespace

ContentFilterState ContentFilterStateOf(const FilterLists& lists, bool hookActive) {
  ContentFilterState state;
  state.hookActive = hookActive;
  state.stale = lists.contentIndexStale;
  state.blockList = lists.contentBlockList;
  state.allowList = lists.contentAllowList;
  return state;
}

GVariant* EncodeContentFilterState(const ContentFilterState& state) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE(kContentFilterStateType));
  g_variant_builder_add(&builder, "b", gboolean(state.hookActive));
  g_variant_builder_add(&builder, "b", gboolean(state.stale));
  AddStrings(&builder, state.blockList);
  AddStrings(&builder, state.allowList);
  return g_variant_builder_end(&builder);
}

std::optional<ContentFilterState> DecodeContentFilterState(GVariant* value) {
  if (!value || !g_variant_is_of_type(value, G_VARIANT_TYPE(kContentFilterStateType)))
    return std::nullopt;
  ContentFilterState state;
  GVariant* active = g_variant_get_child_value(value, 0);
  GVariant* stale = g_variant_get_child_value(value, 1);
  GVariant* block = g_variant_get_child_value(value, 2);
  GVariant* allow = g_variant_get_child_value(value, 3);
  state.hookActive = g_variant_get_boolean(active);
  state.stale = g_variant_get_boolean(stale);
  state.blockList = ReadStrings(block);
  state.allowList = ReadStrings(allow);
  g_variant_unref(active);
  g_variant_unref(stale);
  g_variant_unref(block);
  g_variant_unref(allow);
  return state;
}

GVariant* EncodeBlockedAddress(u16view lowerUrl) {
  std::string utf8 = ToUtf8(lowerUrl);
  return g_variant_new_string(utf8.c_str());
}

std::optional<u16> DecodeBlockedAddress(GVariant* value) {
  if (!value || !g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) return std::nullopt;
  gsize len = 0;
  const char* s = g_variant_get_string(value, &len);
  return FromUtf8(std::string_view(s, len));
}

}  // namespace zel
