#include "load/file_intake.h"

#include <string>

#include "text/file_paths.h"
#include "text/formatted_text.h"
#include "text/gbk_chars.h"
#include "text/texts.h"

namespace colsplit {

namespace {

constexpr std::string_view kNameEnd = "\r\n";

// Windows names compare without letter case, so "REPORT.XLSX" is a workbook
// name as much as "report.xlsx" is.
bool looks_like_workbook(std::string_view name) {
  return find_at_char_boundary(name, ".x", /*ignore_ascii_case=*/true) != std::string_view::npos;
}

}  // namespace

// The item value is the column index, the only link from a heading to its
// column; the staging list view's columns become every group workbook's
// header.
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

namespace {

// Why a sheet was not taken: its extents, and how many cells a preview holds.
Text sheet_too_large(const SheetExtents& extents) {
  return format_text(texts::kSheetTooLargeFormat, extents.rows, extents.columns, static_cast<int>(kMostPreviewCells));
}

struct Refusal {
  std::string_view library_reason;
  const char* const& shown;
};

// The library's reasons are its interface and stay English; the user reads
// them here. A zip or compound file that holds no workbook is, to the user,
// as much no workbook as a text file is.
constexpr Refusal kRefusals[] = {
    {"file not found", texts::kLoadNotFound},
    {"no file name", texts::kLoadNotFound},
    {"file cannot be read", texts::kLoadUnreadable},
    {"file too large", texts::kLoadFileTooLarge},
    {"not a workbook file", texts::kLoadNotAWorkbook},
    {"no workbook in the file", texts::kLoadNotAWorkbook},
    {"damaged file", texts::kLoadDamaged},
    {"over a reading limit", texts::kLoadOverLimit},
    {"out of memory", texts::kLoadOutOfMemory},
    {"encrypted workbook", texts::kLoadEncrypted},
    // Every Excel version's .xls is read: a version number none wrote is damage.
    {"unsupported xls version", texts::kLoadDamaged},
    {"no such sheet", texts::kLoadNoWorksheet},
};

}  // namespace

Text refusal_reason(std::string_view library_reason) {
  for (const Refusal& refusal : kRefusals) {
    if (refusal.library_reason == library_reason) return refusal.shown;
  }
  return {};
}

void report_load_failure(MainWindow& window, const Text& file_name, const SheetExtents& too_large) {
  Text message = Text(texts::kLoadFailed) + "\r\n" + file_name;
  if (too_large.rows > 0) message += "\r\n" + sheet_too_large(too_large);
  if (const Text reason = refusal_reason(too_large.refused_because); !reason.empty()) message += "\r\n" + reason;
  window.dialogs.show_message(message);
}

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
  return load_workbook(window, name, 0);
}

DropOutcome load_workbook(MainWindow& window, const Text& file_name, int sheet_index) {
  SplitSession& session = window.session;
  SourceSheet source;
  source.file_name = file_name;
  source.sheet_index = sheet_index;
  PreviewDetails details{sheet_index, session.choices.reads_look(), &source};
  const bool detailed = sheet_index != 0 || details.typed;
  SheetExtents too_large;
  if (load_sheet_preview(window.超级列表框1, window.进度条1, window.worker, file_name, &too_large,
                         detailed ? &details : nullptr) != 1) {
    // The earlier sheet, its headings and the folder stay as they were, so
    // that a stray drop never costs the user a prepared export.
    report_load_failure(window, file_name, too_large);
    return DropOutcome::load_failed;
  }
  session.source = std::move(source);
  rebuild_headings(window);
  window.编辑框1.set_text(folder_of(file_name));
  return DropOutcome::loaded;
}

void on_file_dropped(MainWindow& window, const Text& dropped) { take_dropped_files(window, dropped); }

}  // namespace colsplit
