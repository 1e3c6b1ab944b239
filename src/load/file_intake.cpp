#include "load/file_intake.h"

#include <string>

#include "text/file_paths.h"
#include "text/formatted_text.h"
#include "text/gbk_chars.h"
#include "text/texts.h"
#include "load/sheet_preview.h"

namespace colsplit {

namespace {

constexpr std::string_view kNameEnd = "\r\n";

// Windows names compare without letter case, so "REPORT.XLSX" is a workbook
// name as much as "report.xlsx" is.
bool looks_like_workbook(std::string_view name) {
  return find_at_char_boundary(name, ".x", /*ignore_ascii_case=*/true) != std::string_view::npos;
}

// Rebuilds what depends on the preview's columns: the heading list (item
// value = column index, the only link from a heading to its column) and the
// staging list view's columns, which become every group workbook's header.
void rebuild_headings(MainWindow& window) {
  window.组合框1.remove_all_items();
  window.超级列表框2.replace_column_set({});
  const int columns = window.超级列表框1.column_count();
  for (int column = 0; column < columns; ++column) {
    const Text title = window.超级列表框1.column_heading(column);
    window.组合框1.append_item(title, column);
    window.超级列表框2.append_column(title);
  }
}

// Why a sheet was not taken: its extents, and how many cells a preview holds.
Text sheet_too_large(const SheetExtents& extents) {
  return format_text(texts::kSheetTooLargeFormat, extents.rows, extents.columns, static_cast<int>(kMostPreviewCells));
}

}  // namespace

Text first_admitted_name(std::string_view dropped) {
  // Several files arrive as one text, each name followed by "\r\n"; a single
  // file as its bare name. CR and LF are below 0x40 and so never trail bytes.
  while (!dropped.empty()) {
    const std::size_t end = dropped.find(kNameEnd);
    const std::string_view name = dropped.substr(0, end);
    if (looks_like_workbook(name)) return Text(name);
    if (end == std::string_view::npos) break;
    dropped.remove_prefix(end + kNameEnd.size());
  }
  return {};
}

DropOutcome take_dropped_files(MainWindow& window, const Text& dropped) {
  const Text name = first_admitted_name(dropped);
  if (name.empty()) return DropOutcome::ignored;

  SheetExtents too_large;
  if (load_sheet_preview(window.超级列表框1, window.进度条1, window.worker, name, &too_large) != 1) {
    // The earlier sheet, its headings and the folder stay as they were, so
    // that a stray drop never costs the user a prepared export.
    Text message = Text(texts::kLoadFailed) + "\r\n" + name;
    if (too_large.rows > 0) message += "\r\n" + sheet_too_large(too_large);
    window.dialogs.show_message(message);
    return DropOutcome::load_failed;
  }
  rebuild_headings(window);
  window.编辑框1.set_text(folder_of(name));
  return DropOutcome::loaded;
}

void on_file_dropped(MainWindow& window, const Text& dropped) { take_dropped_files(window, dropped); }

}  // namespace colsplit
