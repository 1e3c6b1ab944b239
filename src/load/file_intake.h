// The file-drop handler: admits a dropped workbook name, has its first sheet
// loaded into the preview (another sheet the user picks loads the same way),
// then prepares the heading list, the staging columns and the proposed
// output folder.
#pragma once

#include <string_view>

#include "app/controls/controls.h"
#include "load/sheet_preview.h"

namespace colsplit {

enum class DropOutcome {
  ignored,      // no dropped name looks like a workbook: nothing changed
  loaded,       // the sheet is in the preview, headings and folder are set
  load_failed,  // the message was shown; the window is as it was
};

// The drop handler proper; on_file_dropped is this without the outcome,
// which colsplit-cli needs for its exit status.
DropOutcome take_dropped_files(MainWindow& window, const Text& dropped);

// Loads worksheet `sheet_index` of the workbook into the preview as a drop
// of it does (row 1 the heading row): the first without any choice made
// reads the texts alone; another sheet, or numbers kept typed, read the
// details of the sheet too (SourceSheet).
DropOutcome load_workbook(MainWindow& window, const Text& file_name, int sheet_index);

// Rebuilds what depends on the preview's columns: the heading list and the
// staging list view's columns.
void rebuild_headings(MainWindow& window);

// The user's words for the library's reason for refusing a file
// (xlBookErrorMessageA); empty for a reason without them.
Text refusal_reason(std::string_view library_reason);

// The message of a load that failed: the file's name, and on the line after
// it why (the sheet's extents, or the library's reason in the user's words).
void report_load_failure(MainWindow& window, const Text& file_name, const SheetExtents& too_large);

void on_file_dropped(MainWindow& window, const Text& dropped);

// The name the drop works on: the first of the "\r\n"-terminated names that
// contains ".x" in any letter case; empty when none does.
Text first_admitted_name(std::string_view dropped);

}  // namespace colsplit
