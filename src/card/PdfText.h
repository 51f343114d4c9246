#pragma once

#include <QByteArray>

// The text layer of a printed card. A PDF writer names each drawn glyph by the lowest code point that
// the face draws with it, and the Chinese faces draw 生 and the radical ⽣ (or 长 and ⻓) with one
// glyph: the text a reader finds, searches and copies would hold radicals. Here the maps from glyphs
// to text are put right after writing.
namespace card {

// The character a glyph stands for when the writer named it by this code point: the ideograph for a
// radical of the same look (⽣ → 生, ⻓ → 长), a space for a tab; any other code point as it is.
char16_t drawnCharacter(char16_t code);

// The PDF with every glyph-to-text map (ToUnicode CMap) naming the characters that were drawn, its
// stream lengths and cross-reference table set to match. A PDF that needs nothing, or whose maps or
// table are not laid out as Qt's PDF writer lays them out (plain streams of a direct length, one
// classic table), comes back as it was.
QByteArray withDrawnCharacters(const QByteArray& pdf);

} // namespace card
