#include "view/source_page.h"

#include <glib.h>

#include "base/text.h"

namespace zel {


std::string SourceTextAsUtf8(std::string_view raw, std::string_view charset) {
  // A NUL byte (never text in a page) is shown as "?", which every charset reads alike.
  std::string nulFree(raw);
  for (char& c : nulFree)
    if (c == '\0') c = '?';
  std::string_view bytes = nulFree;
  if (g_utf8_validate(bytes.data(), gssize(bytes.size()), nullptr)) return std::string(bytes);
  for (std::string from : {std::string(charset), std::string("GB18030"), std::string("ISO-8859-1")}) {
    if (from.empty()) continue;
    gsize written = 0;
    GError* error = nullptr;
    char* out = g_convert(bytes.data(), gssize(bytes.size()), "UTF-8", from.c_str(), nullptr,
                          &written, &error);
    g_clear_error(&error);
    if (out) {
      std::string s(out, written);
      g_free(out);
      // A converter that lets invalid text through is not trusted.
      if (g_utf8_validate(s.data(), gssize(s.size()), nullptr)) return s;
    }
  }
  // Unreachable in practice (Latin-1 takes every byte): the valid part is kept.
  char* valid = g_utf8_make_valid(bytes.data(), gssize(bytes.size()));
  std::string s(valid);
  g_free(valid);
  return s;
}

std::string SourcePageHtml(std::string_view address, std::string_view bytes,
                           std::string_view charset) {
  const std::string text = SourceTextAsUtf8(bytes, charset);
  // The address is ours to show as text too, valid or not.
  const std::string where = SourceTextAsUtf8(address, "");
  std::string page;
  page.reserve(text.size() + text.size() / 8 + 512);
  page += "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>源文件: ";
  AppendHtmlEscaped(page, where);
  page += "</title><style>pre{white-space:pre-wrap;word-wrap:break-word;"
          "font-family:monospace;font-size:13px;margin:8px}</style></head><body>"
          "<pre id=\"source\">";
  AppendHtmlEscaped(page, text);
  page += "</pre></body></html>";
  return page;
}

}  // namespace zel
