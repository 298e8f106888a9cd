#pragma once
// A name's text as it comes in and as a message shows it. Names arrive as
// bytes (a list's line, a web query) and must be strict UTF-8; a refused
// name is shown with every character that cannot be seen, or that would act
// on a terminal or a spreadsheet, spelt as its code ("U+00A0", "U+001B").

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace painter {

// The reason given for bytes that are not UTF-8.
inline constexpr const char* kNotValidUtf8 = "the name is not valid UTF-8";

// The text of strict UTF-8 bytes, or nothing when they are not UTF-8.
std::optional<QString> strictUtf8(QByteArrayView bytes);

// Whether a character is shown by its code: controls, blanks other than the
// plain one, format characters (zero-width ones), unassigned and private
// codes, lone surrogates, combining marks and the replacement character.
bool shownByCode(char32_t c);

// "U+00A0" for U+00A0; the character itself when it can be seen.
QString visibleCharacter(char32_t c);

// The text with every shownByCode character written "<U+XXXX>".
QString visibleText(const QString& text);

}  // namespace painter
