#!/usr/bin/env bash
# velmora school end to end, on a copy of the shipped folder (its module
# directory gets the "info.txt" the runs write):
#  - from no workbook, a school picked from the list gives a new workbook
#    made from its template, with A40, E40, T40 and the headers, and
#    "info.txt" replaced;
#  - the dialog opened again on it starts from its A40, and confirming
#    rewrites it in place;
#  - values that call for another kind make a new workbook and leave the
#    open one untouched;
#  - an existing file is not replaced unless the user says so;
#  - LibreOffice opens what was written, every sheet protected with the
#    sheet password.
#   school_command_test.sh BIN_DIR LO_FIXTURES
set -euo pipefail
bin=$1 lo_fixtures=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$tmp/bin"
cp -r "$bin"/. "$tmp/bin/"
rm -f "$tmp/bin/info.txt"
v="$tmp/bin/velmora"
a40='2010|61011300|21|111|10712|秦川大学|陕西省教育厅|陕西省西安市雁塔区'

"$v" school --pick 10712 --save "$tmp/a.xls" >"$tmp/out1" || fail "the first run wrote nothing: $(cat "$tmp/out1")"
grep -qF "proposes \"2010_10712_61011300_基表1.xls\"" "$tmp/out1" || fail "no proposed name: $(cat "$tmp/out1")"
grep -qxF "wrote $tmp/a.xls" "$tmp/out1" || fail "not written: $(cat "$tmp/out1")"
grep -qxF "  A40 $a40" "$tmp/out1" || fail "A40: $(cat "$tmp/out1")"
grep -qxF "  E40 基表1.xls" "$tmp/out1" || fail "E40"
[ "$(iconv -f GBK -t UTF-8 "$tmp/bin/info.txt" | tr -d "\r")" = "$a40" ] || fail "info.txt: $(iconv -f GBK -t UTF-8 "$tmp/bin/info.txt")"
printf '%s\r\n' "$a40" | iconv -f UTF-8 -t GBK | cmp -s - "$tmp/bin/info.txt" || fail "info.txt is no single CR LF line"

# Every header cell of the four sheets, and the lock list of base table 1
# for an affiliation not beginning with 1 (lsgxJ1-2.txt: C12 of sheet 2
# locked and grey, D11 of its sheet without grey).
cell() {  # cell FILE SHEET REF -> "locked<TAB>fill n<TAB>text"
  "$v" show "$1" --sheet "$2" | awk -v ref="$3" -F'\t' '$1 == "  " ref { print $2 "\t" $3 "\t" $4 }'
}
expect_text() {  # expect_text SHEET REF TEXT
  local got
  got=$(cell "$tmp/a.xls" "$1" "$2" | cut -f3)
  [ "$got" = "$3" ] || fail "sheet $1 $2 holds '$got', not '$3'"
}
for spec in "1 C G N" "2 C F K" "3 C G M" "4 C F K"; do
  set -- $spec
  expect_text "$1" "$2"4 10712; expect_text "$1" "$3"4 秦川大学; expect_text "$1" "$4"4 地方教育部门办学
  expect_text "$1" "$2"5 61011300; expect_text "$1" "$3"5 陕西省西安市雁塔区; expect_text "$1" "$4"5 大学
done
expect_text 1 N6 "$(date +%Y)-$(date +%-m)-$(date +%-d)"
[ "$(cell "$tmp/a.xls" 2 C12 | cut -f1,2)" = "$(printf 'locked\tfill 15')" ] || fail "C12 of sheet 2: $(cell "$tmp/a.xls" 2 C12)"
[ "$(cell "$tmp/a.xls" 2 D11 | cut -f2)" = "fill 0" ] || fail "D11 of sheet 2: $(cell "$tmp/a.xls" 2 D11)"

# Again on it: starts from A40, the same kind is rewritten in place.
"$v" school "$tmp/a.xls" --xxmc 秦川理工大学 >"$tmp/out2" || fail "the second run wrote nothing: $(cat "$tmp/out2")"
grep -qF 'edit txtxxdm "10712"' "$tmp/out2" || fail "did not start from A40"
grep -qF 'combo cbxxlb "大学"' "$tmp/out2" || fail "category not restored"
grep -q "save dialog" "$tmp/out2" && fail "a save dialog for the open workbook of the right kind"
grep -qxF "wrote $tmp/a.xls" "$tmp/out2" || fail "not rewritten"
grep -qF "|秦川理工大学|" "$tmp/out2" || fail "new name not written"

# Another kind: a new workbook, the open one untouched.
cp "$tmp/a.xls" "$tmp/a.before"
"$v" school "$tmp/a.xls" --lsgx 中央企业办学 --xxlb 高等职业学校 --save "$tmp/b.xls" >"$tmp/out3" \
  || fail "the third run wrote nothing: $(cat "$tmp/out3")"
grep -qxF "wrote $tmp/b.xls" "$tmp/out3" || fail "no new workbook"
grep -qxF "  E40 基表3.xls" "$tmp/out3" || fail "not base table 3"
cmp -s "$tmp/a.xls" "$tmp/a.before" || fail "the open workbook was changed"

# An existing file: declined unless --replace.
cp "$tmp/b.xls" "$tmp/b.before"
if "$v" school --pick 10712 --save "$tmp/b.xls" >"$tmp/out4"; then fail "replaced without asking"; fi
grep -qF "已存在" "$tmp/out4" || fail "no question: $(cat "$tmp/out4")"
cmp -s "$tmp/b.xls" "$tmp/b.before" || fail "the existing file was changed"
"$v" school --pick 10712 --save "$tmp/b.xls" --replace >"$tmp/out5" || fail "not replaced with --replace"
grep -qxF "  E40 基表1.xls" "$tmp/out5" || fail "the replacement is no base table 1"

# LibreOffice sees every sheet protected with the sheet password.
if [ -x /usr/bin/soffice ] && [ -e /usr/lib/python3/dist-packages/uno.py ]; then
  cp "$tmp/a.xls" "$tmp/a.xlsx"
  cp "$tmp/b.xls" "$tmp/b.xlsx"
  (cd "$lo_fixtures" && timeout 90 /usr/bin/python3 lo_check.py "$tmp/a.xlsx" "$tmp/b.xlsx") >"$tmp/lo.json"
  /usr/bin/python3 - "$tmp/lo.json" <<'PY'
import json, sys
books = json.load(open(sys.argv[1]))
errors = []
for b, book in enumerate(books):
    for i, sheet in enumerate(book["sheets"]):
        if not sheet["protected"] or not sheet["password_opens"] or sheet["wrong_password_opens"]:
            errors.append("book %d sheet %d: protection %r" % (b, i + 1, sheet))
    first = book["sheets"][0]["cells"]
    if not first["A40"]["text"].startswith("2010|61011300|"):
        errors.append("book %d: A40 %r" % (b, first["A40"]["text"]))
if books[0]["sheets"][0]["cells"]["E40"]["text"] != "基表1.xls":
    errors.append("a: E40 %r" % books[0]["sheets"][0]["cells"]["E40"]["text"])
if errors:
    print("\n".join(errors), file=sys.stderr)
    sys.exit(1)
PY
fi
echo "velmora school: all checks passed"
