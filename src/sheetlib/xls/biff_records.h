// The records of a workbook stream: a type and a length of two bytes each,
// then the record's data. A record holds at most 8,224 bytes; what goes on
// beyond that (long strings, the shared string table) follows in CONTINUE
// records, which belong to the record before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sheetlib::xls {

namespace record {
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kWsBool = 0x0081;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof = 0x0809;
// Those that only the look reads (a load that keeps it).
constexpr std::uint16_t kHeader = 0x0014;
constexpr std::uint16_t kFooter = 0x0015;
constexpr std::uint16_t kName = 0x0018;
constexpr std::uint16_t kLeftMargin = 0x0026;
constexpr std::uint16_t kRightMargin = 0x0027;
constexpr std::uint16_t kTopMargin = 0x0028;
constexpr std::uint16_t kBottomMargin = 0x0029;
constexpr std::uint16_t kPrintHeaders = 0x002A;
constexpr std::uint16_t kPrintGridlines = 0x002B;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kPane = 0x0041;
constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::uint16_t kHCenter = 0x0083;
constexpr std::uint16_t kVCenter = 0x0084;
constexpr std::uint16_t kPalette = 0x0092;
constexpr std::uint16_t kStandardWidth = 0x0099;
constexpr std::uint16_t kAutoFilterInfo = 0x009D;
constexpr std::uint16_t kScl = 0x00A0;
constexpr std::uint16_t kSetup = 0x00A1;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kCondFmt = 0x01B0;
constexpr std::uint16_t kCf = 0x01B1;
constexpr std::uint16_t kHyperlink = 0x01B8;
constexpr std::uint16_t kValidation = 0x01BE;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kDefaultRowHeight = 0x0225;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kLinkTooltip = 0x0800;
// The beginning-of-file records of the versions before BIFF5.
constexpr std::uint16_t kBofBiff2 = 0x0009;
constexpr std::uint16_t kBofBiff3 = 0x0209;
constexpr std::uint16_t kBofBiff4 = 0x0409;
// Those of the versions before BIFF5 alone. BIFF2 has cell records of its
// own; BIFF3 and 4 share those of later versions (NUMBER, LABEL, BOOLERR,
// RK, BLANK) but for FORMULA and the formats. FORMULA (0x0006) is BIFF2's
// too, and an Excel 4 workbook lists its sheets in BUNDLESHEET records,
// BOUNDSHEET's number.
constexpr std::uint16_t kInteger2 = 0x0002;
constexpr std::uint16_t kNumber2 = 0x0003;
constexpr std::uint16_t kLabel2 = 0x0004;
constexpr std::uint16_t kBoolErr2 = 0x0005;
constexpr std::uint16_t kString2 = 0x0007;
constexpr std::uint16_t kFormat2 = 0x001E;  // BIFF2 and 3
constexpr std::uint16_t kColWidth2 = 0x0024;
constexpr std::uint16_t kXf2 = 0x0043;
constexpr std::uint16_t kIxfe2 = 0x0044;
constexpr std::uint16_t kSheetHeader = 0x008F;
constexpr std::uint16_t kFormula3 = 0x0206;
constexpr std::uint16_t kXf3 = 0x0243;
constexpr std::uint16_t kFormula4 = 0x0406;
constexpr std::uint16_t kXf4 = 0x0443;
// Left unencrypted in an encrypted workbook stream, as BOF and FILEPASS are.
constexpr std::uint16_t kInterfaceHeader = 0x00E1;
constexpr std::uint16_t kRrdHead = 0x0138;
constexpr std::uint16_t kUsrExcl = 0x0194;
constexpr std::uint16_t kFileLock = 0x0195;
constexpr std::uint16_t kRrdInfo = 0x0196;
}  // namespace record

// The kinds of substream a BOF record opens.
namespace substream {
constexpr std::uint16_t kGlobals = 0x0005;
constexpr std::uint16_t kWorksheet = 0x0010;
constexpr std::uint16_t kChart = 0x0020;
constexpr std::uint16_t kMacroSheet = 0x0040;
constexpr std::uint16_t kWorkbook4 = 0x0100;  // an Excel 4 workbook's globals
}  // namespace substream

// The version field of a BOF record.
constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;

struct Record {
  std::uint16_t type = 0;
  std::string_view data;
};

class RecordReader {
 public:
  explicit RecordReader(std::string_view stream, std::size_t at = 0) : stream_(stream), at_(at) {}

  // The next record. False at the end of the stream, and when a record runs
  // past it (truncated() tells which).
  bool next(Record& record);
  bool truncated() const { return truncated_; }
  // Where the next record begins.
  std::size_t position() const { return at_; }

  // The data of the record and of the CONTINUE records right after it, which
  // are consumed.
  void with_continues(const Record& record, std::vector<std::string_view>& fragments);

 private:
  std::string_view stream_;
  std::size_t at_;
  bool truncated_ = false;
};

}  // namespace sheetlib::xls
