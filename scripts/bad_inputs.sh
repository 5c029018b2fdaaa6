#!/usr/bin/env bash
# Builds hostile workbooks and data files by hand (repeated cells, huge texts and tokens, many
# attributes and sheets, lying zip sizes, huge lines) and reads each as the program does,
# reporting how it ended, its time and its peak memory. Each must end in a message within
# 30 s and 1 GB. Inputs are made in a temporary folder and removed afterwards.
#   scripts/bad_inputs.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
cmake --build "$BUILD" --target vantrel_read_input >/dev/null
READ="$BUILD/fuzz/vantrel_read_input"
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT

python3 - "$DIR" <<'PY'
import sys, zipfile, zlib, struct, os
d = sys.argv[1]
ODS_HEAD = ('<?xml version="1.0"?><office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>')
ODS_TAIL = '</office:spreadsheet></office:body></office:document-content>'

def ods(name, tables):
    with zipfile.ZipFile(os.path.join(d, name), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.spreadsheet')
        with z.open('content.xml', 'w', force_zip64=True) as f:
            f.write(ODS_HEAD.encode())
            for chunk in tables:
                f.write(chunk.encode())
            f.write(ODS_TAIL.encode())

XL = {
    '[Content_Types].xml': '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
    '_rels/.rels': '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
                   'Target="xl/workbook.xml"/></Relationships>',
    'xl/workbook.xml': '<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                       'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>'
                       '<sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
    'xl/_rels/workbook.xml.rels': '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                                  '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
                                  'Target="worksheets/sheet1.xml"/>'
                                  '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" '
                                  'Target="sharedStrings.xml"/></Relationships>',
}
SHEET_HEAD = '<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
SHEET_TAIL = '</sheetData></worksheet>'

def xlsx(name, sheet_chunks, sst=None):
    with zipfile.ZipFile(os.path.join(d, name), 'w', zipfile.ZIP_DEFLATED) as z:
        for k, v in XL.items():
            z.writestr(k, v)
        with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as f:
            f.write(SHEET_HEAD.encode())
            for chunk in sheet_chunks:
                f.write(chunk.encode() if isinstance(chunk, str) else chunk)
            f.write(SHEET_TAIL.encode())
        if sst is not None:
            with z.open('xl/sharedStrings.xml', 'w', force_zip64=True) as f:
                f.write(b'<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">')
                for chunk in sst:
                    f.write(chunk)
                f.write(b'</sst>')

huge = '9223372036854775807'
cell = '<table:table-cell office:value-type="string"><text:p>x</text:p></table:table-cell>'
ods('repeat_overflow.ods', ['<table:table table:name="S"><table:table-row><table:table-cell table:number-columns-repeated="%s"/>'
                            '<table:table-cell table:number-columns-repeated="%s"/>%s</table:table-row></table:table>' % (huge, huge, cell)])
ods('rows_overflow.ods', ['<table:table table:name="S">' + ('<table:table-row table:number-rows-repeated="%s"><table:table-cell/></table:table-row>' % huge) * 2 +
                          '<table:table-row>%s</table:table-row></table:table>' % cell])
text = 't' * 200
ods('text_10m.ods', ['<table:table table:name="S"><table:table-row table:number-rows-repeated="10000"><table:table-cell '
                     'table:number-columns-repeated="1000" office:value-type="string"><text:p>%s</text:p></table:table-cell>'
                     '</table:table-row></table:table>' % text])
ods('text_64m.ods', ['<table:table table:name="S"><table:table-row table:number-rows-repeated="1048576"><table:table-cell '
                     'table:number-columns-repeated="64" office:value-type="string"><text:p>%s</text:p></table:table-cell>'
                     '</table:table-row></table:table>' % text])
ods('spaces.ods', ['<table:table table:name="S"><table:table-row table:number-rows-repeated="1000"><table:table-cell '
                   'table:number-columns-repeated="1000" office:value-type="string"><text:p>' +
                   '<text:s text:c="1000"/>' * 2300 + '</text:p></table:table-cell></table:table-row></table:table>'])
ods('sheets_2m.ods', ('<table:table/>' * 10000 for _ in range(200)))
xlsx('sst_20m.xlsx', ['<row r="1"><c r="A1" t="s"><v>0</v></c></row>'], (b'<si><t/></si>' * 100000 for _ in range(200)))
xlsx('attributes.xlsx', ['<row r="1"><c r="A1" ' + ''.join('a%d="1" ' % k for k in range(80000)) + '><v>1</v></c></row>'])
xlsx('token_1g.xlsx', ['<row r="1"><c r="A1" t="str"><v>'] + [b'A' * (1 << 20)] * 1024 + ['</v></c></row>'])
xlsx('tag_1g.xlsx', ['<row r="1"><c r="A1" x="'] + [b'A' * (1 << 20)] * 1024 + ['"><v>1</v></c></row>'])
# A sheet whose headers state 2 GB: patch both headers of its entry.
xlsx('lying.xlsx', ['<row r="1"><c r="A1"><v>1</v></c></row>' * 3])
p = os.path.join(d, 'lying.xlsx'); b = bytearray(open(p, 'rb').read()); n = b'xl/worksheets/sheet1.xml'
i = 0
while (i := b.find(b'PK\x01\x02', i)) >= 0:
    if b[i + 46:i + 46 + len(n)] == n: b[i + 24:i + 28] = struct.pack('<I', 0x7fffffff)
    i += 4
i = 0
while (i := b.find(b'PK\x03\x04', i)) >= 0:
    if b[i + 30:i + 30 + len(n)] == n: b[i + 22:i + 26] = struct.pack('<I', 0x7fffffff)
    i += 4
open(p, 'wb').write(b)

head = 'From: \tBook1\tSheet1\t=MAX(A2:C2)\t1.0000000000\tVantrel\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t' + '\t' * 16
with open(os.path.join(d, 'tabs_64m.vnx'), 'wb') as f:
    f.write((head + '\r\n').encode()); f.write(b'\t' * (64 << 20)); f.write(b'\r\n')
with open(os.path.join(d, 'header_64m.vnx'), 'wb') as f:
    f.write(head.encode()); f.write(b'x' * (64 << 20))
with open(os.path.join(d, 'overflow_1m.vnx'), 'wb') as f:
    f.write((head + '\r\n').encode())
    f.write(b'1\t1E999\t2\t86400\t\t\t\t\t\t\t\t\t\t\t\t\t1E999\r\n' * 1048576)
PY

status=0
printf '%-22s %10s %8s %9s  %s\n' input "file KB" "time s" "peak MB" "how it ended"
for f in "$DIR"/*; do
  kind=workbook
  case "$f" in *.vnx) kind=datafile ;; esac
  out=$(/usr/bin/time -f '%e %M' -o "$DIR/.time" "$READ" "$kind" "$f" 2>&1 | head -c 300 | tr '\r\n' '  ') || true
  read -r secs kb <"$DIR/.time"
  printf '%-22s %10d %8s %9d  %s\n' "$(basename "$f")" $(( $(stat -c %s "$f") / 1024 )) "$secs" $((kb / 1024)) "$out"
  if [ "$(echo "$secs > 30" | bc)" = 1 ] || [ "$kb" -gt 1048576 ] || [ -z "$out" ]; then status=1; fi
done
exit $status
