// Compiled with -fexec-charset=CP936: the literals below become GBK bytes.
#include "text/texts.h"

namespace colsplit::texts {

const char* const kWindowCaption = "按列内容筛选后分别导出";
const char* const kTipText =
    "Tip：\r\n\r\n1.直接拖入excel文件到窗口\r\n\r\n2.请务必先选择要筛选内容的列标题\r\n\r\n3.不选择导出地址默认在源文件地址";
const char* const kExportButton = "导出";
const char* const kChooseFolderButton = "...";
const char* const kHeadingLabel = "列标题：";
const char* const kFolderLabel = "导出地址：";

const char* const kMessageCaption = "信息：";
const char* const kChooseColumnFirst = "请先选择要筛选内容的列";
const char* const kExportFinished = "按指定列内容筛选导出完成";
const char* const kChooseFolderFirst = "请先选择导出地址";
const char* const kLoadFailed = "文件读取失败：";
const char* const kLoadOutOfMemory = "内存不足，无法读取此文件";
const char* const kLoadEncrypted = "文件已加密，需要密码才能打开";
const char* const kLoadDamaged = "文件已损坏（压缩包、复合文档或其中某部分无法读取）";
const char* const kLoadNotAWorkbook = "不是工作簿文件（可能是文本、图片或其他程序的文档）";
const char* const kLoadOverLimit = "文件超出读取限制（标记或大小异常）";
const char* const kLoadNoWorksheet = "工作簿中没有工作表";
const char* const kLoadNotFound = "找不到文件";
const char* const kLoadUnreadable = "文件无法读取";
const char* const kLoadFileTooLarge = "文件大于 1 GiB";
const char* const kSheetTooLargeFormat = "工作表过大：%d 行 × %d 列，最多可显示 %d 个单元格";
const char* const kCannotCreateExportFolder = "无法创建导出文件夹：";
const char* const kSomeFilesNotSaved = "导出完成，但以下文件未能保存：";
const char* const kMoreFilesFormat = "……共 %d 个";
const char* const kFolderDialogTitle = "请选择导出文件目录";

const char* const kExportFolderPrefix = "\\按_";
const char* const kExportFolderSuffix = "_分别导出";
const char* const kGroupWorkbookPrefix = "\\按内容导出_";
const char* const kDateFormat = "%d年%d月%d日";
const char* const kHourMinuteSecondFormat = "%d时%d分%d秒";
const char* const kHourMinuteFormat = "%d时%d分";
const char* const kHourFormat = "%d时";
const char* const kBlankSheetName = "(空白)";
const char* const kRunNameFormat = "第%d-%d行";
const char* const kRunsHeadingFormat = "每%d行";

const char* const kErrorCaption = "错误";
const char* const kErrorFirstLine = "运行时出错!\r\n";
const char* const kErrorCodeLine = "\r\n错误代码：";
const char* const kErrorMessageLine = "\r\n错误信息：";
const char* const kErrorLocationFormat = "\r\n%d, %d";
const char* const kWindowLoadFailed = "载入启动窗口失败";
const char* const kOutOfMemoryFormat = "分配 %d 字节内存失败!";
const char* const kCannotBindFormat = "无法找到指定DLL库文件“%s”中的输出命令“%s”";
const char* const kIndexBeyondCount = "数组成员引用下标超出定义范围";
const char* const kIndexBelowOne = "数组成员引用下标必须大于等于1";
const char* const kStackUnbalanced = "调用DLL命令后发现堆栈错误";
const char* const kWorkerWaitFailed = "等待工作簿读写结束失败（系统错误代码 %lu）";

const char* const kMenuSheets = "工作表(&S)";
const char* const kMenuSetHeadingRow = "设为标题行(&H)";
const char* const kMenuKeepFormat = "保留原表格式(&K)";
const char* const kMenuIntoSheets = "拆分到一个工作簿的多个工作表(&M)";
const char* const kTitleRowTip =
    "第一行像是表格的标题？在列标题所在的行上单击右键，选“设为标题行”。\r\n"
    "右键菜单还可以选择工作表、保留原表格式、拆分到一个工作簿的多个工作表、导出为CSV文件、同时按其他列拆分、按行数拆分。";

const char* const kCliUsage =
    "用法：colsplit-cli [选项] 工作簿 列标题 [导出地址]\r\n"
    "      colsplit-cli [选项] --rows N 工作簿 [导出地址]\r\n"
    "  列标题可写作 #N，表示第 N 列\r\n"
    "选项：\r\n"
    "  --sheet 名称|序号    拆分指定的工作表（序号从 1 起，默认第一个工作表）\r\n"
    "  --heading-row N      第 N 行是列标题（从 1 起，默认第 1 行）；其上各行作为表头，写在每个工作表顶部\r\n"
    "  --keep-format        保留原表格式：数字、日期、百分比和逻辑值及其数字格式，单元格的字体、填充、边框、对齐，\r\n"
    "                       行高、列宽、隐藏的行和列、冻结窗格、筛选、数据验证、条件格式、超链接和页面设置\r\n"
    "                       （默认全部写为文本；图片、图表、批注和公式不保留，公式写为其值）\r\n"
    "  --keep-types         同 --keep-format\r\n"
    "  --and 列标题         再按这一列拆分，每种值的组合一个文件（可重复，最多 3 次）\r\n"
    "  --rows N             不按列拆分，数据行按顺序每 N 行一个文件（此时不给列标题参数）\r\n"
    "  --csv                每个文件存为 CSV（UTF-8，带 BOM），不存为 .xlsx；不能与 --into-sheets 同用\r\n"
    "  --into-sheets        拆分到一个工作簿的多个工作表（默认每个值一个工作簿）\r\n"
    "  --list               不写任何文件，只列出每个值（或值的组合、行段）、它的行数和将得到的文件名（或工作表名）\r\n"
    "  --help               显示本说明";
const char* const kCliUnknownHeading = "找不到列标题：";
const char* const kCliHeadingsAre = "可用的列标题：";
const char* const kCliNoSuchSheet = "找不到工作表：";
const char* const kCliSheetsAre = "工作簿中的工作表：";
const char* const kCliEmptySheet = "工作表是空的，没有列标题";
const char* const kCliHeadingRowPastEnd = "标题行超出了工作表的最后一行（共 %d 行）";

const char* const kMenuCsv = "导出为CSV文件(&C)";
const char* const kMenuAlsoBy = "同时按其他列拆分(&A)";
const char* const kMenuRowsPerOutput = "按行数拆分(&N)…";
const char* const kRowsDialogTitle = "按行数拆分";
const char* const kRowsDialogLabel = "每个文件的数据行数：";
const char* const kRowsDialogOk = "确定";
const char* const kRowsDialogCancel = "取消";
const char* const kRowsOutOfRange = "请输入 1 到 1048575 之间的整数";
const char* const kSplitNowLine = "\r\n\r\n当前：";
const char* const kSplitByStart = "按 ";
const char* const kSplitByAnd = " + ";
const char* const kSplitByEnd = " 拆分";
const char* const kSplitByRowsFormat = "每 %d 行一个文件";
const char* const kSplitAsCsv = "，导出为 CSV";
const char* const kSplitAsCsvAlone = "导出为 CSV";

}  // namespace colsplit::texts
