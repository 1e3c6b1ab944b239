#include "load/sheet_choices.h"

#include "load/sheet_details.h"
#include "load/sheet_preview.h"

namespace colsplit {

namespace {

std::vector<Text> column_titles(const ListView& list) {
  std::vector<Text> titles;
  for (int column = 0; column < list.column_count(); ++column) titles.push_back(list.column_heading(column));
  return titles;
}

std::vector<Text> row_texts(const ListView& list, int row) {
  std::vector<Text> texts;
  for (int column = 0; column < list.column_count(); ++column) texts.push_back(list.cell_text(row, column));
  return texts;
}

// Moves the heading row down to list row `list_row`, without reading the file.
void move_heading_row(ListView& list, SourceSheet& source, int list_row) {
  source.title_rows.push_back(column_titles(list));
  for (int row = 0; row < list_row; ++row) source.title_rows.push_back(row_texts(list, row));
  const std::vector<Text> headings = row_texts(list, list_row);
  source.heading_row = source.sheet_row(list_row);
  list.delete_rows(0, list_row + 1);
  for (int column = 0; column < list.column_count(); ++column) {
    list.set_column_heading(column, headings[static_cast<std::size_t>(column)]);
  }
}

// Reads the shown sheet again with its details (typed values when that
// choice is on), and puts the heading row back where the user had it. The
// heading list and the staging columns are rebuilt only when the headings
// changed, so that a chosen heading stays chosen.
bool read_details_again(MainWindow& window) {
  SourceSheet& shown = window.session.source;
  const std::vector<Text> titles_before = column_titles(window.超级列表框1);
  SourceSheet source;
  source.file_name = shown.file_name;
  source.sheet_index = shown.sheet_index;
  PreviewDetails details{shown.sheet_index, window.session.choices.reads_look(), &source};
  SheetExtents too_large;
  if (load_sheet_preview(window.超级列表框1, window.进度条1, window.worker, shown.file_name, &too_large, &details) !=
      1) {
    report_load_failure(window, shown.file_name, too_large);
    return false;
  }
  const int heading_row = shown.heading_row;
  shown = std::move(source);
  if (heading_row > 0 && heading_row - 1 < window.超级列表框1.row_count()) {
    move_heading_row(window.超级列表框1, shown, heading_row - 1);
  }
  if (column_titles(window.超级列表框1) != titles_before) rebuild_headings(window);
  return true;
}

}  // namespace

const std::vector<Text>& worksheet_names(MainWindow& window) {
  SourceSheet& source = window.session.source;
  if (source.sheet_names.empty() && !source.file_name.empty()) {
    source.sheet_names = read_sheet_names(window.worker, source.file_name);
  }
  return source.sheet_names;
}

DropOutcome choose_sheet(MainWindow& window, int index) {
  if (window.session.source.file_name.empty()) return DropOutcome::ignored;
  return load_workbook(window, window.session.source.file_name, index);
}

bool set_heading_row(MainWindow& window, int list_row) {
  if (list_row < 0 || list_row >= window.超级列表框1.row_count()) return false;
  if (!window.session.source.detailed) {
    if (!read_details_again(window)) return false;
    // The file may have changed meanwhile.
    if (list_row >= window.超级列表框1.row_count()) return false;
  }
  move_heading_row(window.超级列表框1, window.session.source, list_row);
  rebuild_headings(window);
  return true;
}

namespace {

// Takes the choices, reading the shown sheet again when they want it read
// another way (with its look, or as it shows); when that fails, the choices
// stay as they were.
void take_choices(MainWindow& window, const SplitChoices& chosen) {
  SplitSession& session = window.session;
  const SplitChoices before = session.choices;
  session.choices = chosen;
  if (session.source.file_name.empty() || chosen.reads_look() == session.source.typed) return;
  if (!read_details_again(window)) session.choices = before;
}

}  // namespace

void set_keep_format(MainWindow& window, bool on) {
  SplitChoices chosen = window.session.choices;
  chosen.keep_format = on;
  take_choices(window, chosen);
}

void set_csv(MainWindow& window, bool on) {
  SplitChoices chosen = window.session.choices;
  chosen.csv = on;
  take_choices(window, chosen);
}

void set_into_sheets(MainWindow& window, bool on) { window.session.choices.into_sheets = on; }

bool headings_look_like_a_title(const ListView& list, const SourceSheet& source) {
  const int columns = list.column_count();
  if (columns < 2) return false;
  int filled = 0;
  for (int column = 0; column < columns; ++column) filled += list.column_heading(column).empty() ? 0 : 1;
  if (filled == 1) return true;
  for (const MergedCells& range : source.merged) {
    if (range.first_row <= source.heading_row && range.last_row >= source.heading_row &&
        range.last_column > range.first_column)
      return true;
  }
  return false;
}

}  // namespace colsplit
