# Sourced by the scripts that compare Vendrik's printing with LibreOffice's: the tools they
# need, the build of the given targets (and of the sample root in build/sample), the output
# folder made afresh, a runtime folder for Qt and LibreOffice, and the page count of a PDF.
#
#   compare_setup <output folder> <target>...

compare_setup() {
    local out="$1"
    shift
    command -v soffice >/dev/null || { echo "compare: soffice not found (install libreoffice-writer-nogui)" >&2; exit 1; }
    command -v pdftoppm >/dev/null || { echo "compare: pdftoppm not found (install poppler-utils)" >&2; exit 1; }
    if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
        cmake -S "$here" -B "$build" -G Ninja -DQUARVELLO_BENCH=ON >/dev/null
    fi
    cmake -S "$here" -B "$build" -DQUARVELLO_BENCH=ON >/dev/null
    cmake --build "$build" -j4 --target "$@" sample_root_folder >/dev/null
    rm -rf "$out"
    mkdir -p "$out/vendrik" "$out/libreoffice" "$out/png"
    if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
        export XDG_RUNTIME_DIR="$out/runtime"
        mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    fi
}

pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ {print $2}'; }
