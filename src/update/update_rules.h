// The update description (update.ini) as the client reads it, version comparison, and the
// scrambled form in which the program carries its update address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// The most of a description that is read; the rest of a longer file is ignored.
inline constexpr size_t kUpdateDescriptionMax = 510;
// What a failed fetch leaves as the description.
inline constexpr char kFailedDescription[] = "err";

// The bytes of a fetched description as the client keeps them (cut to the first 510).
std::string CutDescription(std::string_view bytes);

// The 4 characters after a key and its equals sign ("VER=1.02" gives "1.02"), taken at the
// first occurrence of the key anywhere in the text; fewer at the end of the text. nullopt
// when the key does not occur.
std::optional<std::string> DescriptionVersion(std::string_view text, std::string_view key);

// Everything after "URL=" (the first occurrence) to the end of the text, as written.
std::optional<std::string> DescriptionPackageUrl(std::string_view text);

// The key of the package's SHA-256 digest, before "URL" in the file: "SHA256=" and 64
// hexadecimal digits. A package is used only when its digest is this one.
inline constexpr char kDigestKey[] = "SHA256=";
// The digest after the first "SHA256=", in lower case; nullopt when the key is missing or
// not followed by 64 hexadecimal digits.
std::optional<std::string> DescriptionPackageDigest(std::string_view text);
// The SHA-256 of a file's bytes in lower-case hexadecimal; nullopt when it cannot be read.
std::optional<std::string> FileSha256(const std::string& path);
// Whether an address is one the client fetches from: https with a host.
bool IsSecureUpdateAddress(std::string_view url);

// A version text read as a decimal number, the way a C runtime's atof reads it: leading
// blanks skipped, then as much of a number as there is ("1.1\n" is 1.1, "abc" is 0).
double ReadVersionNumber(std::string_view text);

// Whether the offered version is newer than the running one.
bool IsNewerVersion(std::string_view offered, std::string_view running);

// The scrambled form of a text: each byte XORed with (r + 8) ^ 0x19, r the successive
// values (bits 16-30 of the state) of state := state * 214013 + 2531011 started at seed,
// written as upper-case hexadecimal digits.
std::string ScrambleText(std::string_view plain, uint32_t seed);
// The reverse. Stops at the first pair that is not hexadecimal.
std::string UnscrambleText(std::string_view hex, uint32_t seed);

}  // namespace zel
