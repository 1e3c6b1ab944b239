// The choices of the preview list's context menu: which worksheet, which
// row holds the headings, numbers kept typed, one workbook of sheets. Each
// lasts while the window is open; without them the window works as it
// always did.
#pragma once

#include <vector>

#include "app/controls/controls.h"
#include "load/file_intake.h"

namespace colsplit {

// The worksheets of the shown workbook, in tab order; read from the file the
// first time they are asked for. Empty before a workbook is shown.
const std::vector<Text>& worksheet_names(MainWindow& window);

// Shows worksheet `index` of the shown workbook, as a drop of the file would
// (row 1 the heading row again; the same message when it cannot be read).
DropOutcome choose_sheet(MainWindow& window, int index);

// Makes list row `list_row` the heading row: its texts become the column
// titles and the heading list, the rows above it (and the former heading
// row) title rows. The sheet is read again first when its merged ranges are
// not known yet. False, with the window as it was, when the row is not in
// the list or the file can no longer be read (the message is shown).
bool set_heading_row(MainWindow& window, int list_row);

// The source's look: numbers, dates and booleans written typed with their
// formats, and every cell's style. Turning it on reads the shown sheet's
// values and look, turning it off reads the sheet as it shows (the list
// stays as it is when the file still holds the same headings); when that
// fails the choice stays as it was.
void set_keep_format(MainWindow& window, bool on);

// A .csv file per output. With the look kept, the sheet is read again as it
// shows (a CSV file carries no format), and again with its look once CSV
// is off.
void set_csv(MainWindow& window, bool on);

void set_into_sheets(MainWindow& window, bool on);

// True when the list's column titles look like a title rather than headings:
// a single filled title over several columns, or a merged range across the
// heading row. The window then points the user to the context menu.
bool headings_look_like_a_title(const ListView& list, const SourceSheet& source);

}  // namespace colsplit
