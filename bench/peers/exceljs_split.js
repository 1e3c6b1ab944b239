// The ExcelJS peer of the split benchmark: what a Node user writes to do the
// same job with ExcelJS's streaming reader and writer. Reads the first sheet,
// every cell as the text it shows, groups the rows by the text of the
// heading's column (first appearance first), and writes one workbook per
// value: the heading row, then the group's rows.
//
//   node bench/peers/exceljs_split.js WORKBOOK HEADING OUTPUT-FOLDER
'use strict';
const fs = require('fs');
const path = require('path');
const ExcelJS = require('exceljs');

async function main() {
  const [workbook, heading, output] = process.argv.slice(2);
  const reader = new ExcelJS.stream.xlsx.WorkbookReader(workbook, {
    sharedStrings: 'cache', styles: 'cache', hyperlinks: 'ignore', worksheets: 'emit',
  });
  let header = null;
  let key = -1;
  const groups = new Map();
  for await (const sheet of reader) {
    for await (const row of sheet) {
      const texts = [];
      row.eachCell({ includeEmpty: true }, (cell, column) => { texts[column - 1] = cell.text; });
      if (!header) {
        header = texts;
        key = header.indexOf(heading);
        if (key < 0) throw new Error(`no column ${heading}`);
        continue;
      }
      const value = texts[key] ?? '';
      if (!groups.has(value)) groups.set(value, []);
      groups.get(value).push(texts);
    }
    break;  // the first sheet only
  }
  fs.mkdirSync(output, { recursive: true });
  let number = 0;
  for (const [value, rows] of groups) {
    const file = path.join(output, `${number++}_${value.replace(/[\\/:*?"<>|]/g, '_')}.xlsx`);
    const writer = new ExcelJS.stream.xlsx.WorkbookWriter({ filename: file, useSharedStrings: true, useStyles: false });
    const sheet = writer.addWorksheet('data');
    sheet.addRow(header).commit();
    for (const row of rows) sheet.addRow(row).commit();
    sheet.commit();
    await writer.commit();
  }
}

main().catch((error) => { console.error(error); process.exit(1); });
