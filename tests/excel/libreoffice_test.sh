#!/usr/bin/env bash
# Round trips through LibreOffice (headless, a private profile, bounded):
#  - a workbook LibreOffice made is refused a typed value in a locked cell and
#    stays byte for byte; typed into input cells it is saved by us and
#    LibreOffice still sees the same protection and password, hidden sheet,
#    fills, merged cells and column widths, with the typed values;
#  - a workbook the model wrote from scratch opens in LibreOffice with its
#    sheets protected by the sheet password.
#   libreoffice_test.sh VELMORA SAMPLE_WRITER FIXTURES
set -euo pipefail
velmora=$1 writer=$2 fixtures=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cp "$fixtures/base_table.xlsx" "$tmp/typed.xlsx"
if "$velmora" type "$tmp/typed.xlsx" 1 A3 x 2>"$tmp/err"; then fail "typing into a locked cell was accepted"; fi
grep -q "protected sheet" "$tmp/err" || fail "unexpected message: $(cat "$tmp/err")"
cmp -s "$fixtures/base_table.xlsx" "$tmp/typed.xlsx" || fail "a refused typing changed the file"
"$velmora" type "$tmp/typed.xlsx" 1 C10 123
"$velmora" type "$tmp/typed.xlsx" 收入 C4 0050
"$velmora" type "$tmp/typed.xlsx" 1 C4 0051   # a Text cell: stays text
"$writer" "$tmp/fresh.xlsx"

cd "$fixtures"
timeout 90 /usr/bin/python3 lo_check.py "$fixtures/base_table.xlsx" "$tmp/typed.xlsx" "$tmp/fresh.xlsx" >"$tmp/summary.json"
/usr/bin/python3 - "$tmp/summary.json" <<'PY'
import json, sys
original, typed, fresh = json.load(open(sys.argv[1]))
errors = []
def expect(cond, what):
    if not cond:
        errors.append(what)
# The typed copy: what LibreOffice sees is the original but for the typed cells.
changed = {(0, "C10"): "123", (1, "C4"): "50", (0, "C4"): "0051"}
for i, (a, b) in enumerate(zip(original["sheets"], typed["sheets"])):
    for key in a:
        if key != "cells":
            expect(a[key] == b[key], "sheet %d: %s was %r, is %r" % (i + 1, key, a[key], b[key]))
    for ref, cell in a["cells"].items():
        want = dict(cell)
        if (i, ref) in changed:
            want["text"] = changed[(i, ref)]
        expect(b["cells"][ref] == want, "sheet %d %s: %r, expected %r" % (i + 1, ref, b["cells"][ref], want))
for i, s in enumerate(typed["sheets"][:4]):
    expect(s["protected"] and s["password_opens"] and not s["wrong_password_opens"], "sheet %d protection" % (i + 1))
expect(not typed["sheets"][4]["visible"], "the fifth sheet is hidden")
# The workbook written from scratch.
for i, s in enumerate(fresh["sheets"][:4]):
    expect(s["protected"], "fresh sheet %d is protected" % (i + 1))
    expect(s["password_opens"] and not s["wrong_password_opens"], "fresh sheet %d password" % (i + 1))
    expect(s["cells"]["C10"] == {"text": "", "locked": False, "fill": "C0C0C0"}, "fresh C10: %r" % s["cells"]["C10"])
    expect(s["cells"]["D10"]["fill"] == "FF99CC", "fresh D10 rose")
    expect(s["cells"]["C3"]["text"] == "0050", "fresh C3 text")
    expect(s["cells"]["J40"]["text"] == "J1_%d" % (i + 1), "fresh J40")
    expect(s["merged_A1_F1"], "fresh A1:F1 merged")
    # Widths are in characters of the default font, so only their proportion is LibreOffice's own.
    expect(abs(s["widths"][0] / s["widths"][1] - 17.86 / 11.16) < 0.05, "fresh widths: %r" % s["widths"])
expect(not fresh["sheets"][4]["visible"], "fresh fifth sheet hidden")
expect(fresh["sheets"][0]["cells"]["C6"]["fill"] in ("none", "FFFFFF"), "colour index 0 shows no colour: %r" % fresh["sheets"][0]["cells"]["C6"])
if errors:
    print("\n".join(errors))
    sys.exit(1)
print("LibreOffice round trips: 1 passed, 0 failed")
PY
