#!/usr/bin/env bash
# Prints every document of the sample root through Vendrik and converts it with LibreOffice,
# lists both page counts per document and renders both PDFs' pages to PNG side by side
# (Vendrik left, LibreOffice right) for looking at.
#
#   bash scripts/compare_with_libreoffice.sh [output folder]    (default build/compare)
#
# Needs soffice (e.g. Debian's libreoffice-writer-nogui), poppler-utils and ImageMagick. It is
# a reference for the layout only: nothing in the build or the tests uses LibreOffice.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build"
out="${1:-$build/compare}"

# shellcheck source=scripts/libreoffice_compare_common.sh
source "$here/scripts/libreoffice_compare_common.sh"
compare_setup "$out" print_documents

sample="$build/sample"
profile="$out/lo-profile"

printf '%-48s %8s %12s\n' "document" "Vendrik" "LibreOffice"
same=0
total=0
while IFS= read -r -d '' doc; do
    rel="${doc#"$sample"/}"
    key="$(echo "$rel" | tr '/ ' '__')"
    key="${key%.*}"
    mkdir -p "$out/vendrik/$key" "$out/libreoffice/$key"
    QT_QPA_PLATFORM=offscreen "$build/bench/print_documents" "$out/vendrik/$key" "$doc" >/dev/null
    # soffice picks the filter from the content: these .doc files are WordprocessingML.
    cp "$doc" "$out/libreoffice/$key/$key.docx"
    soffice -env:UserInstallation="file://$profile" --headless --convert-to pdf \
        --outdir "$out/libreoffice/$key" "$out/libreoffice/$key/$key.docx" >/dev/null 2>&1 || true
    v="$(ls "$out/vendrik/$key"/*.pdf 2>/dev/null | head -1)"
    l="$out/libreoffice/$key/$key.pdf"
    vp="$( [[ -n "$v" ]] && pages "$v" || echo "-")"
    lp="$( [[ -f "$l" ]] && pages "$l" || echo "-")"
    mark=""
    total=$((total + 1))
    if [[ "$vp" == "$lp" ]]; then same=$((same + 1)); else mark="  <- differs"; fi
    printf '%-48s %8s %12s%s\n' "$rel" "$vp" "$lp" "$mark"
    if [[ -n "$v" && -f "$l" ]]; then
        pdftoppm -png -r 50 "$v" "$out/png/$key-v"
        pdftoppm -png -r 50 "$l" "$out/png/$key-l"
        for vpng in "$out/png/$key"-v-*.png; do
            n="${vpng##*-v-}"
            lpng="$out/png/$key-l-$n"
            if [[ -f "$lpng" ]] && command -v convert >/dev/null; then
                convert "$vpng" "$lpng" +append "$out/png/$key-page-$n"
            fi
        done
    fi
done < <(find "$sample" -type f \( -iname '*.doc' -o -iname '*.dot' \) -print0 | sort -z)
echo "same page count: $same of $total documents"
echo "pictures: $out/png/*-page-*.png (Vendrik left, LibreOffice right)"
