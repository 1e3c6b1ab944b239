// Placeholder until the reader lands: every load fails as "not a zip".
#include "sheetlib/read/workbook_reader.h"

namespace sheetlib {

struct CellGrid::Storage {};

CellGrid::CellGrid() : storage_(std::make_unique<Storage>()) {}
CellGrid::~CellGrid() = default;
CellGrid::CellGrid(CellGrid&&) noexcept = default;
CellGrid& CellGrid::operator=(CellGrid&&) noexcept = default;
int CellGrid::row_extent() const { return 0; }
int CellGrid::column_extent() const { return 0; }
std::string_view CellGrid::text(int, int) const { return {}; }
bool CellGrid::has_value(int, int) const { return false; }
CellGrid::Storage& CellGrid::storage() { return *storage_; }
const CellGrid::Storage& CellGrid::storage() const { return *storage_; }

ReadStatus read_first_worksheet(std::string_view, CellGrid&, const ReadLimits&) { return ReadStatus::not_a_zip; }

}  // namespace sheetlib
