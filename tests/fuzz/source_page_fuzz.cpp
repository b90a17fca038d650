// Fuzzes the page that shows a page's source: any bytes from a server, with any charset
// name, must give valid UTF-8 in which the page's text cannot open a tag of its own.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "view/source_page.h"

using namespace zel;

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  // The first line names the charset, the rest is the body.
  size_t nl = input.find('\n');
  std::string charset = nl == std::string::npos ? "" : input.substr(0, std::min<size_t>(nl, 40));
  std::string body = nl == std::string::npos ? input : input.substr(nl + 1);
  const std::string page = SourcePageHtml("http://fuzz/", body, charset);
  Check(g_utf8_validate(page.data(), gssize(page.size()), nullptr));
  const std::string pre = "<pre id=\"source\">";
  const size_t at = page.find(pre);
  const size_t end = page.rfind("</pre></body></html>");
  Check(at != std::string::npos && end != std::string::npos && end >= at + pre.size());
  const std::string shown = page.substr(at + pre.size(), end - at - pre.size());
  Check(shown.find('<') == std::string::npos && shown.find('>') == std::string::npos);
  Check(shown.find('\0') == std::string::npos);
  return 0;
}
