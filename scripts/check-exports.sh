#!/usr/bin/env bash
# Exports a small highlighted C++ sample to HTML, RTF, PDF and LaTeX and hands
# each file to the tools that read it, printing what happened:
#   HTML  -> xmllint --noout (well-formed XHTML)
#   RTF   -> unrtf --text, and LibreOffice headless (converted to PDF) when installed
#   PDF   -> qpdf --check, pdftotext
#   LaTeX -> pdflatex when installed
# Not run by CI. Usage: scripts/check-exports.sh [output-folder]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${SCRIVLET_BUILD_DIR:-$here/build-export}"
out="${1:-$(mktemp -d /tmp/scrivlet-exports.XXXXXX)}"
mkdir -p "$out"

if [ ! -d "$build" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
echo "== building the export bench (it writes the sample files)"
cmake --build "$build" --target export -j 2 >/dev/null || { echo "build failed"; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$build/bench/export" "$out" 4000 || { echo "export failed"; exit 1; }
echo "files in $out:"
ls -l "$out"

have() { command -v "$1" >/dev/null 2>&1; }
report() { if [ "$2" -eq 0 ]; then echo "  $1: ok"; else echo "  $1: FAILED (exit $2)"; fi; }

echo "== HTML"
if have xmllint; then
  # The DTD is not fetched, so xmllint notes each "&nbsp;" as undeclared; it
  # still exits 0 for a well-formed file. Show only the other messages.
  xmllint --noout --nonet "$out/sample.html" 2> "$out/xmllint.txt"; rc=$?
  grep "parser error" "$out/xmllint.txt" | grep -v "Entity 'nbsp' not defined" | head -5
  report "xmllint --noout (well-formed)" $rc
else echo "  xmllint not installed"; fi

echo "== RTF"
if have unrtf; then
  unrtf --text "$out/sample.rtf" > "$out/sample.rtf.txt" 2>/dev/null; report "unrtf --text" $?
  grep -q "static int Sum" "$out/sample.rtf.txt" && echo "  text comes back" || echo "  text NOT found in unrtf output"
else echo "  unrtf not installed"; fi
office=""
for c in libreoffice soffice; do have "$c" && office="$c" && break; done
if [ -n "$office" ]; then
  (cd "$out" && timeout 180 "$office" --headless --convert-to pdf --outdir "$out/office" sample.rtf >/dev/null 2>&1)
  report "$office --headless --convert-to pdf" $?
  if [ -f "$out/office/sample.pdf" ] && have pdftotext; then
    pdftotext "$out/office/sample.pdf" "$out/office/sample.txt"
    grep -q "static int Sum" "$out/office/sample.txt" && echo "  LibreOffice shows the text" || echo "  text NOT found after LibreOffice"
  fi
else echo "  LibreOffice not installed: conversion skipped"; fi

echo "== PDF"
if have qpdf; then qpdf --check "$out/sample.pdf" >/dev/null; report "qpdf --check" $?; else echo "  qpdf not installed"; fi
if have pdftotext; then
  pdftotext -layout "$out/sample.pdf" "$out/sample.pdf.txt"; report "pdftotext" $?
  grep -q "static int Sum" "$out/sample.pdf.txt" && echo "  text comes back" || echo "  text NOT found in pdftotext output"
fi
if have pdftoppm; then pdftoppm -png -r 60 -f 1 -l 1 "$out/sample.pdf" "$out/page"; report "pdftoppm (first page as PNG in $out)" $?; fi

echo "== LaTeX"
if have pdflatex; then
  # Compiled in a folder of its own: its PDF must not replace the exported one.
  mkdir -p "$out/latex" && cp "$out/sample.tex" "$out/latex/"
  (cd "$out/latex" && timeout 300 pdflatex -interaction=nonstopmode -halt-on-error sample.tex >/dev/null 2>&1)
  rc=$?
  report "pdflatex" $rc
  [ $rc -ne 0 ] && tail -20 "$out/latex/sample.log"
  if [ -f "$out/latex/sample.pdf" ] && have pdftotext; then
    pdftotext "$out/latex/sample.pdf" "$out/latex/sample.txt"
    grep -q "Source File: sample.cpp" "$out/latex/sample.txt" && echo "  LaTeX output shows the text" || echo "  text NOT found in the LaTeX PDF"
  fi
else echo "  pdflatex not installed: compile skipped"; fi
