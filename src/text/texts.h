// Every text the program shows or puts into a name, in one place. The
// definitions are compiled with the GBK execution character set, so each of
// these is a GBK byte string.
#pragma once

namespace colsplit::texts {

// Main window and its controls.
extern const char* const kWindowCaption;     // 按列内容筛选后分别导出
extern const char* const kTipText;           // the usage hints of 编辑框2
extern const char* const kExportButton;      // 导出
extern const char* const kChooseFolderButton;  // ...
extern const char* const kHeadingLabel;      // 列标题：
extern const char* const kFolderLabel;       // 导出地址：

// Messages to the user (caption kMessageCaption).
extern const char* const kMessageCaption;    // 信息：
extern const char* const kChooseColumnFirst; // 请先选择要筛选内容的列
extern const char* const kExportFinished;    // 按指定列内容筛选导出完成
extern const char* const kChooseFolderFirst; // 请先选择导出地址
extern const char* const kLoadFailed;        // 文件读取失败：
extern const char* const kLoadOutOfMemory;   // 内存不足，无法读取此文件
extern const char* const kLoadEncrypted;     // 文件已加密，需要密码才能打开
extern const char* const kLoadDamaged;       // 文件已损坏（…）
extern const char* const kLoadNotAWorkbook;  // 不是工作簿文件（…）
extern const char* const kLoadOverLimit;     // 文件超出读取限制（标记或大小异常）
extern const char* const kLoadNoWorksheet;   // 工作簿中没有工作表
extern const char* const kLoadNotFound;      // 找不到文件
extern const char* const kLoadUnreadable;    // 文件无法读取
extern const char* const kLoadFileTooLarge;  // 文件大于 1 GiB
extern const char* const kSheetTooLargeFormat;  // 工作表过大：%d 行 × %d 列，最多可显示 %d 个单元格
extern const char* const kCannotCreateExportFolder;  // 无法创建导出文件夹：
extern const char* const kSomeFilesNotSaved; // 导出完成，但以下文件未能保存：
extern const char* const kMoreFilesFormat;   // ……共 %d 个
extern const char* const kFolderDialogTitle; // 请选择导出文件目录

// Names of what the export creates.
extern const char* const kExportFolderPrefix;   // \按_
extern const char* const kExportFolderSuffix;   // _分别导出
extern const char* const kGroupWorkbookPrefix;  // \按内容导出_
extern const char* const kDateFormat;           // %d年%d月%d日
extern const char* const kHourMinuteSecondFormat;  // %d时%d分%d秒
extern const char* const kHourMinuteFormat;     // %d时%d分
extern const char* const kHourFormat;           // %d时
extern const char* const kBlankSheetName;       // (空白)
extern const char* const kRunNameFormat;        // 第%d-%d行: a run of data rows, numbered from 1
extern const char* const kRunsHeadingFormat;    // 每%d行: in the export folder's name of a split into runs

// The runtime error report.
extern const char* const kErrorCaption;         // 错误
extern const char* const kErrorFirstLine;       // 运行时出错!\r\n
extern const char* const kErrorCodeLine;        // \r\n错误代码：
extern const char* const kErrorMessageLine;     // \r\n错误信息：
extern const char* const kErrorLocationFormat;  // \r\n%d, %d
extern const char* const kWindowLoadFailed;     // 载入启动窗口失败
extern const char* const kOutOfMemoryFormat;    // 分配 %d 字节内存失败!
extern const char* const kCannotBindFormat;     // 无法找到指定DLL库文件“%s”中的输出命令“%s”
extern const char* const kIndexBeyondCount;     // 数组成员引用下标超出定义范围
extern const char* const kIndexBelowOne;        // 数组成员引用下标必须大于等于1
extern const char* const kStackUnbalanced;      // 调用DLL命令后发现堆栈错误
extern const char* const kWorkerWaitFailed;     // 等待工作簿读写结束失败（系统错误代码 %lu）

// The preview list's context menu, and the tip that points to it.
extern const char* const kMenuSheets;           // 工作表(&S)
extern const char* const kMenuSetHeadingRow;    // 设为标题行(&H)
extern const char* const kMenuKeepFormat;        // 保留原表格式(&K)
extern const char* const kMenuIntoSheets;       // 拆分到一个工作簿的多个工作表(&M)
extern const char* const kTitleRowTip;          // 第一行像是表头标题？…
// colsplit-cli.
extern const char* const kCliUsage;             // 用法：colsplit-cli [选项] 工作簿 列标题 [导出地址], with the options
extern const char* const kCliUnknownHeading;    // 找不到列标题：
extern const char* const kCliHeadingsAre;       // 可用的列标题：
extern const char* const kCliNoSuchSheet;       // 找不到工作表：
extern const char* const kCliSheetsAre;         // 工作簿中的工作表：
extern const char* const kCliEmptySheet;        // 工作表是空的，没有列标题
extern const char* const kCliHeadingRowPastEnd; // 标题行超出了工作表的最后一行（共 %d 行）

// The split choices of the preview list's context menu, the dialog that asks
// the rows per file, and the line of 编辑框2 that tells what the split is by.
extern const char* const kMenuCsv;              // 导出为CSV文件(&C)
extern const char* const kMenuAlsoBy;           // 同时按其他列拆分(&A)
extern const char* const kMenuRowsPerOutput;    // 按行数拆分(&N)…
extern const char* const kRowsDialogTitle;      // 按行数拆分
extern const char* const kRowsDialogLabel;      // 每个文件的数据行数：
extern const char* const kRowsDialogOk;         // 确定
extern const char* const kRowsDialogCancel;     // 取消
extern const char* const kRowsOutOfRange;       // 请输入 1 到 1048575 之间的整数
extern const char* const kSplitNowLine;         // \r\n\r\n当前：, before the line below
extern const char* const kSplitByStart;         // 按 (a heading follows)
extern const char* const kSplitByAnd;           //  + (between headings)
extern const char* const kSplitByEnd;           //  拆分
extern const char* const kSplitByRowsFormat;    // 每 %d 行一个文件
extern const char* const kSplitAsCsv;           // ，导出为 CSV
extern const char* const kSplitAsCsvAlone;      // 导出为 CSV

}  // namespace colsplit::texts
