// Writes the cells of content.tsv into a workbook with one of the npm
// writers: SheetJS (the package xlsx) or ExcelJS.
//
//   NODE_PATH=…/node_modules node make_with_node.js WRITER CONTENT.tsv OUT.xlsx
//
// Exits with 3 when the writer's package is missing.
'use strict';
const fs = require('fs');

function readContent(path) {
  const cells = [];
  for (const line of fs.readFileSync(path, 'utf8').split('\n')) {
    if (!line || line.startsWith('#')) continue;
    const [row, column, kind, code, value] = line.split('\t');
    cells.push({ row: Number(row), column: Number(column), kind, code, value });
  }
  return cells;
}

// Dates are the wall-clock times the content names, kept in UTC so that the
// machine's time zone does not move them.
function dateOf(value) {
  const [day, time = '00:00:00'] = value.split('T');
  return new Date(`${day}T${time}Z`);
}

function runsOf(value) {
  return value.split('|').map((run) => ({ bold: run.startsWith('*'), text: run.replace(/^\*/, '') }));
}

function withSheetJs(XLSX, cells, out) {
  const sheet = {};
  let rows = 0;
  let columns = 0;
  for (const { row, column, kind, code, value } of cells) {
    const cell = {};
    if (kind === 'number') Object.assign(cell, { t: 'n', v: Number(value) });
    else if (kind === 'date') Object.assign(cell, { t: 'd', v: dateOf(value) });
    else if (kind === 'bool') Object.assign(cell, { t: 'b', v: value === 'true' });
    // The community edition writes no rich text: the runs go in as one text.
    else if (kind === 'rich') Object.assign(cell, { t: 's', v: runsOf(value).map((run) => run.text).join('') });
    else Object.assign(cell, { t: 's', v: value });
    if (code) cell.z = code;
    sheet[XLSX.utils.encode_cell({ r: row, c: column })] = cell;
    rows = Math.max(rows, row + 1);
    columns = Math.max(columns, column + 1);
  }
  sheet['!ref'] = XLSX.utils.encode_range({ s: { r: 0, c: 0 }, e: { r: rows - 1, c: columns - 1 } });
  const book = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(book, sheet, '数据');
  XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet([['not this one']]), '其他');
  // Dates as cells of type "d" (ISO 8601 texts), as SheetJS writes them
  // when asked to keep dates.
  XLSX.writeFile(book, out, { cellDates: true });
}

async function withExcelJs(ExcelJS, cells, out) {
  const book = new ExcelJS.Workbook();
  const sheet = book.addWorksheet('数据');
  for (const { row, column, kind, code, value } of cells) {
    const cell = sheet.getCell(row + 1, column + 1);
    if (kind === 'number') cell.value = Number(value);
    else if (kind === 'date') cell.value = dateOf(value);
    else if (kind === 'bool') cell.value = value === 'true';
    else if (kind === 'rich') {
      cell.value = { richText: runsOf(value).map((run) => (run.bold ? { font: { bold: true }, text: run.text } : { text: run.text })) };
    } else cell.value = value;
    if (code) cell.numFmt = code;
  }
  book.addWorksheet('其他').getCell('A1').value = 'not this one';
  await book.xlsx.writeFile(out);
}

async function main() {
  const [writer, content, out] = process.argv.slice(2);
  const module = { sheetjs: 'xlsx', exceljs: 'exceljs' }[writer];
  let library;
  try {
    library = require(module);
  } catch (error) {
    process.exit(3);
  }
  const cells = readContent(content);
  if (writer === 'sheetjs') withSheetJs(library, cells, out);
  else await withExcelJs(library, cells, out);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
