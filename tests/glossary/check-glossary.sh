#!/bin/sh
# Every Italian name the code keeps is explained in GLOSSARY.md. A name is
# Italian when one of its words is in italian-words.txt; it is explained
# when the glossary holds it, alone or with the English words around it
# left out, in any case ("m_btStampa" by "BtStampa", "kFatturatoColumns" by
# "Fatturato"). Names of code and the string literals that join words into
# a name ("DispFAT", "ProgressivoInvio": windows, controls, elements) are
# checked; comments and other texts are not. english-names.txt lists what
# the word list catches wrongly. Run with the repository's folder; prints
# each name missing and fails on any.
cd "$1" || exit 2
here=tests/glossary
missing=$(find src \( -name '*.cpp' -o -name '*.h' \) ! -path 'src/pdf/generated/*' | sort | xargs awk -v words="$here/italian-words.txt" -v allowed="$here/english-names.txt" \
    -v glossary=GLOSSARY.md '
function load(file, set,    line) {
    while ((getline line < file) > 0)
        if (line !~ /^#/ && line != "")
            set[line] = 1
    close(file)
}
# The glossary as lower-case words, and each run of two or three of them
# joined ("codice fiscale" explains "codiceFiscale").
function loadGlossary(file,    line, n, w, i) {
    while ((getline line < file) > 0) {
        n = split(tolower(line), w, /[^a-z0-9]+/)
        for (i = 1; i <= n; i++) {
            known[w[i]] = 1
            if (i > 1) known[w[i - 1] w[i]] = 1
            if (i > 2) known[w[i - 2] w[i - 1] w[i]] = 1
        }
    }
    close(file)
}
# Splits a name into its words: "STAFatturato" into STA and Fatturato,
# "DispFAT" into Disp and FAT, "Dati0" into Dati and 0.
function splitWords(name, part,    n, i, c, prev, next_, cut) {
    n = 0
    part[++n] = substr(name, 1, 1)
    for (i = 2; i <= length(name); i++) {
        c = substr(name, i, 1); prev = substr(name, i - 1, 1); next_ = substr(name, i + 1, 1)
        cut = (c ~ /[A-Z]/ && prev ~ /[a-z0-9]/) ||
              (c ~ /[A-Z]/ && prev ~ /[A-Z]/ && next_ ~ /[a-z]/) ||
              (c ~ /[0-9]/ && prev !~ /[0-9]/) || (c !~ /[0-9]/ && prev ~ /[0-9]/)
        if (cut) part[++n] = c
        else part[n] = part[n] c
    }
    return n
}
function explained(name,    w, n, i, j, k, first, last, joined) {
    n = splitWords(name, w)
    first = 0
    for (i = 1; i <= n; i++)
        if (tolower(w[i]) in italian) { if (!first) first = i; last = i }
    if (!first) return 1
    for (i = 1; i <= first; i++)
        for (j = last; j <= n; j++) {
            joined = ""
            for (k = i; k <= j; k++) joined = joined tolower(w[k])
            if (joined in known) return 1
        }
    return 0
}
function check(identifier,    parts, n, i, p) {
    if (identifier in allow || identifier in seen) return
    seen[identifier] = 1
    n = split(identifier, parts, /_+/)
    for (i = 1; i <= n; i++) {
        p = parts[i]
        if (i == 1 && p ~ /^k[A-Z]/) p = substr(p, 2)
        if (p != "" && !explained(p)) { print identifier " (" FILENAME ")"; return }
    }
}
BEGIN { load(words, italian); load(allowed, allow); loadGlossary(glossary) }
{
    line = $0
    while (match(line, /"[A-Za-z][A-Za-z0-9_]*"/)) {
        name = substr(line, RSTART + 1, RLENGTH - 2)
        if (name ~ /[a-z0-9][A-Z]|[A-Z][A-Z][a-z]/) check(name)
        line = substr(line, RSTART + RLENGTH)
    }
    line = $0
    gsub(/\047([^\047\\]|\\.)\047/, " ", line)
    gsub(/"([^"\\]|\\.)*"/, " ", line)
    sub(/\/\/.*/, "", line)
    while (match(line, /[A-Za-z_][A-Za-z0-9_]*/)) {
        check(substr(line, RSTART, RLENGTH))
        line = substr(line, RSTART + RLENGTH)
    }
}') || exit 2
if [ -n "$missing" ]; then
    echo "These Italian names are not explained in GLOSSARY.md:"
    echo "$missing"
    exit 1
fi
