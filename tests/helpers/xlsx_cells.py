#!/usr/bin/env python3
# Reads a workbook with openpyxl and prints, as JSON, what a spreadsheet program sees in it: the
# sheet's name, the frozen cell, the column widths and, for every cell, its type, number format,
# value (dates as yyyy-mm-dd) and whether it is bold.
import datetime
import json
import sys

import openpyxl

wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
out = {
    "sheets": wb.sheetnames,
    "freeze": ws.freeze_panes,
    "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.width},
    "rows": [],
}
for row in ws.iter_rows():
    cells = []
    for c in row:
        v = c.value
        if isinstance(v, (datetime.datetime, datetime.date)):
            v = v.strftime("%Y-%m-%d")
        cells.append({"type": c.data_type, "format": c.number_format, "value": v, "bold": bool(c.font.b)})
    out["rows"].append(cells)
print(json.dumps(out))
