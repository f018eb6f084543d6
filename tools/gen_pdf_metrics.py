#!/usr/bin/python3
"""Generate the PDF writer's glyph width tables.

Arial, Times New Roman and Courier New are measured on their metric-compatible
Liberation fonts (Debian package fonts-liberation2), Symbol on URW's Standard
Symbols PS metrics (fonts-urw-base35). Widths are in thousandths of the font
size for the Windows-1252 codes the writer's fonts declare.

Usage: /usr/bin/python3 tools/gen_pdf_metrics.py > src/pdf/generated/PdfFontWidths.cpp
(needs python3-fonttools).
"""

import sys

from fontTools.ttLib import TTFont

LIBERATION = "/usr/share/fonts/truetype/liberation2"
SYMBOL_AFM = "/usr/share/fonts/type1/urw-base35/StandardSymbolsPS.afm"
COMMAND = "/usr/bin/python3 tools/gen_pdf_metrics.py > src/pdf/generated/PdfFontWidths.cpp"

STYLES = ["Regular", "Bold", "Italic", "BoldItalic"]
FAMILIES = [
    ("CourierNew", "LiberationMono"),
    ("TimesNewRoman", "LiberationSerif"),
    ("Arial", "LiberationSans"),
]

# Liberation Sans 2 draws the middle dot wider than Arial does; documents laid
# out for Arial expect Arial's advance.
OVERRIDES = {("Arial", 0): {183: 278}, ("Arial", 1): {183: 278}}

# Symbol's codes without a glyph (30, 31, 255 and the gaps) measure 600, as in
# the tables Windows programs have always shipped for it.
SYMBOL_MISSING = 600


def round_half_up(numerator, denominator):
    return (2 * numerator + denominator) // (2 * denominator)


def truetype_widths(path):
    font = TTFont(path)
    units = font["head"].unitsPerEm
    cmap = font.getBestCmap()
    hmtx = font["hmtx"]
    notdef = hmtx[".notdef"][0]
    widths = []
    for code in range(32, 256):
        try:
            char = bytes([code]).decode("cp1252")
        except UnicodeDecodeError:
            char = None
        glyph = cmap.get(ord(char)) if char is not None else None
        advance = hmtx[glyph][0] if glyph is not None else notdef
        widths.append(round_half_up(advance * 1000, units))
    return widths


def symbol_widths():
    by_code = {}
    with open(SYMBOL_AFM, encoding="latin-1") as afm:
        for line in afm:
            if not line.startswith("C "):
                continue
            fields = dict(
                part.strip().split(" ", 1) for part in line.split(";") if part.strip()
            )
            code = int(fields["C"])
            if code >= 0:
                by_code[code] = round(float(fields["WX"]))
    return [by_code.get(code, SYMBOL_MISSING) for code in range(30, 256)]


def emit_array(out, name, widths):
    out.write(f"const std::array<int16_t, {len(widths)}> {name} = {{\n")
    for start in range(0, len(widths), 16):
        row = ", ".join(str(w) for w in widths[start:start + 16])
        out.write(f"    {row},\n")
    out.write("};\n\n")


def main():
    out = sys.stdout
    out.write("// Generated file, do not edit. Made with:\n")
    out.write(f"//   {COMMAND}\n")
    out.write("// Widths of codes 32..255 (Symbol: 30..255), thousandths of the font size.\n\n")
    out.write('#include "PdfFontWidths.h"\n\nnamespace pdf {\n\n')
    for family, liberation in FAMILIES:
        tables = []
        for style, suffix in enumerate(STYLES):
            widths = truetype_widths(f"{LIBERATION}/{liberation}-{suffix}.ttf")
            for code, width in OVERRIDES.get((family, style), {}).items():
                widths[code - 32] = width
            tables.append(widths)
        for style, widths in enumerate(tables):
            emit_array(out, f"k{family}Widths{style}", widths)
    emit_array(out, "kSymbolWidths", symbol_widths())
    out.write("} // namespace pdf\n")


if __name__ == "__main__":
    main()
