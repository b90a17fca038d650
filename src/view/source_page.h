// The page that shows a page's source: the bytes the server sent, decoded and escaped into
// a <pre id="source">, titled "源文件: <address>".
#pragma once

#include <string>
#include <string_view>

namespace zel {

// The bytes as UTF-8: as they are when they are UTF-8, else in the charset the server
// named, else as GB18030 (the usual charset of Chinese pages that name none), and as
// Latin-1 when nothing else fits (every byte is a character there). A NUL byte becomes "?".
std::string SourceTextAsUtf8(std::string_view bytes, std::string_view charset);

// The whole source page for address.
std::string SourcePageHtml(std::string_view address, std::string_view bytes,
                           std::string_view charset);

}  // namespace zel
