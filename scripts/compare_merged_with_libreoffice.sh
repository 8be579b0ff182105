#!/usr/bin/env bash
# Merges the sample dossier "Cantiere Via Roma" into _Fascicolo.doc through the engine's merge
# command (every list, each section's separator before its first list, as the picker in print
# mode collects them), prints it through Vendrik's PrintOut and converts it with LibreOffice,
# and tells three page counts: the document's property 14, Vendrik's PDF and LibreOffice's PDF.
# The pages of both PDFs are rendered side by side (Vendrik left, LibreOffice right).
#
#   bash scripts/compare_merged_with_libreoffice.sh [output folder]    (default build/compare-merged)
#
# Needs soffice (e.g. Debian's libreoffice-writer-nogui), poppler-utils and ImageMagick. It is
# a reference for the layout only: nothing in the build or the tests uses LibreOffice.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build"
out="${1:-$build/compare-merged}"
dossier="Cantiere Via Roma"

# shellcheck source=scripts/libreoffice_compare_common.sh
source "$here/scripts/libreoffice_compare_common.sh"
compare_setup "$out" merge_dossier
# A copy of the sample root: the merge writes _Fascicolo.doc into its dossier.
cp -r "$build/sample" "$out/root"

QT_QPA_PLATFORM=offscreen "$build/bench/merge_dossier" "$out/root" "$dossier" "$out/vendrik" >"$out/merge.txt"
merged="$(awk -F'\t' '$1 == "merged" {print $2}' "$out/merge.txt")"
property14="$(awk -F'\t' '$1 == "property14" {print $2}' "$out/merge.txt")"
documents="$(awk -F'\t' '$1 == "documents" {print $2}' "$out/merge.txt")"

# soffice picks the filter from the content: the .doc is WordprocessingML.
cp "$merged" "$out/libreoffice/_Fascicolo.docx"
soffice -env:UserInstallation="file://$out/lo-profile" --headless --convert-to pdf \
    --outdir "$out/libreoffice" "$out/libreoffice/_Fascicolo.docx" >/dev/null 2>&1 || true

vendrik_pdf="$(ls "$out/vendrik"/*.pdf 2>/dev/null | head -1)"
lo_pdf="$out/libreoffice/_Fascicolo.pdf"
vp="$( [[ -n "$vendrik_pdf" ]] && pages "$vendrik_pdf" || echo "-")"
lp="$( [[ -f "$lo_pdf" ]] && pages "$lo_pdf" || echo "-")"

echo "merged: $merged ($documents documents)"
printf '%-40s %s\n' "property 14 (pages)" "$property14" "Vendrik PDF (pdfinfo)" "$vp" "LibreOffice PDF (pdfinfo)" "$lp"

if [[ -n "$vendrik_pdf" && -f "$lo_pdf" ]] && command -v pdftoppm >/dev/null; then
    pdftoppm -png -r 40 "$vendrik_pdf" "$out/png/v"
    pdftoppm -png -r 40 "$lo_pdf" "$out/png/l"
    if command -v convert >/dev/null; then
        for v in "$out/png"/v-*.png; do
            n="${v##*/v-}"
            [[ -f "$out/png/l-$n" ]] && convert "$v" "$out/png/l-$n" +append "$out/png/page-$n"
        done
        echo "pictures: $out/png/page-*.png (Vendrik left, LibreOffice right)"
    fi
fi
[[ "$property14" == "$vp" && "$vp" == "$lp" ]]
