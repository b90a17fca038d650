// The reversible letter encodings of saved form texts and passwords, and the escapes that
// put a text area's lines on one INI line.
#pragma once

#include "base/text.h"

namespace zel {

inline constexpr char16_t kValueKey[] = u"Kx2%Tq9L";
inline constexpr char16_t kPasswordKey[] = u"Wn5$Hb3R";
// Begins the wide form: four letters per character, for texts with a character whose
// XOR value does not fit two letters. It is no letter of the two-letter form, so a text in
// one form is never read as the other.
inline constexpr char16_t kWideMark = u'~';

// Two letters 'A'..'P' per code unit while every XOR value stays below 256 (ASCII text
// always does); otherwise kWideMark followed by four letters per code unit.
u16 EncodeText(u16view text, u16view key);
// Reads either form. A letter outside 'A'..'Q' counts as 0; an incomplete last group is
// dropped.
u16 DecodeText(u16view encoded, u16view key);

inline u16 EncodeValue(u16view text) { return EncodeText(text, kValueKey); }
inline u16 DecodeValue(u16view encoded) { return DecodeText(encoded, kValueKey); }
// Passwords are only ever compared in this form.
inline u16 EncodePassword(u16view text) { return EncodeText(text, kPasswordKey); }

// A text area's value on one line: CR as backslash r, LF as backslash n, and a backslash
// of the text doubled, so a typed "\n" comes back as typed.
u16 EscapeLines(u16view text);
// The reverse; a backslash before any other character stays as it is.
u16 UnescapeLines(u16view text);

}  // namespace zel
